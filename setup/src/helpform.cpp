#include "helpform.h"

#include "anchors.h"
#include "boardimage.h"
#include "errorreport.h"
#include "formsizing.h"
#include "richtext.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace {
constexpr int kStartWidth = 173;
}

THelpForm::THelpForm(QWidget *mainWindow, QWidget *tourHost, const QString &richText)
    : QWidget(mainWindow, Qt::Window | Qt::WindowStaysOnTopHint), tourHost_(tourHost)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(tr("Instructions for Settings utility"));
    resize(305, 200);

    helpLabel_ = new QLabel(tr("How to use this program"), this);
    helpLabel_->setObjectName(QStringLiteral("HelpLabel"));
    helpLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont labelFont(QStringLiteral("Verdana"), 12, QFont::Bold);
    helpLabel_->setFont(labelFont);

    helpRich_ = new QTextEdit(this);
    helpRich_->setObjectName(QStringLiteral("HelpRich"));
    helpRich_->setGeometry(0, 24, 305, 73);
    helpRich_->setReadOnly(true);
    helpRich_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette richPalette = helpRich_->palette();
    richPalette.setColor(QPalette::Base, QColor(221, 221, 221));
    helpRich_->setPalette(richPalette);
    RenderRichText(richText, helpRich_->document());
    helpRich_->moveCursor(QTextCursor::Start);  // open at the heading

    startButton_ = new QPushButton(tr("Start"), this);
    startButton_->setObjectName(QStringLiteral("StartButton"));
    startButton_->setGeometry(0, 105, kStartWidth, 25);
    startButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, Guarded([this] { StartButtonClick(); }));
    setFocusProxy(startButton_);

    SizeAroundParts();
}

void THelpForm::SizeAroundParts()
{
    resize(305, height());
    helpLabel_->setGeometry(0, 0, width(), std::min(helpLabel_->sizeHint().height(), 24));
    const QSize around = ::SizeAroundParts(this);
    resize(305, around.height() + 8);
    SetAnchors(helpLabel_, TAnchors(TAnchor::Left) | TAnchor::Top | TAnchor::Right);
    SetAnchors(helpRich_, kAnchorsAll);
    startButton_->move((width() - kStartWidth) / 2, startButton_->y());
    SetAnchors(startButton_, TAnchors(TAnchor::Bottom));
}

void THelpForm::ScaleToScreen(QSize screen)
{
    resize(Scaled(size(), ScreenScale(screen)));
    TAnchorKeeper::For(this)->Apply();
}

void THelpForm::StartButtonClick()
{
    hide();
    if (!tourHost_)
        return;
    for (QObject *child : tourHost_->children())
        if (auto *image = qobject_cast<TBoardImage *>(child)) {
            image->StartTour();
            return;
        }
}

void THelpForm::keyPressEvent(QKeyEvent *event)
{
    // Start is both the default (Enter) and the cancel (Escape) button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        startButton_->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void THelpForm::showEvent(QShowEvent *event)
{
    // Centred on the main window the first time it opens; afterwards it
    // keeps the place the user gave it.
    if (!placed_ && parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        placed_ = true;
    }
    QWidget::showEvent(event);
}

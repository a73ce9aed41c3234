#include "techform.h"

#include "anchors.h"
#include "formsizing.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
constexpr int kCloseWidth = 73;
}

TTechForm::TTechForm(QWidget *mainWindow, const QString &text)
    : QWidget(mainWindow, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TechForm"));
    setWindowTitle(tr("Technical Support"));

    techMemo_ = new QPlainTextEdit(this);
    techMemo_->setObjectName(QStringLiteral("TechMemo"));
    techMemo_->setGeometry(8, 8, 305, 89);
    techMemo_->setReadOnly(true);
    techMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    techMemo_->setPlainText(text);

    closeButton_ = new QPushButton(tr("Close"), this);
    closeButton_->setObjectName(QStringLiteral("CloseButton"));
    closeButton_->setGeometry(165, 105, kCloseWidth, 25);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::hide);
    setFocusProxy(closeButton_);

    resize(SizeAroundParts(this));
    SetAnchors(techMemo_, kAnchorsAll);
    closeButton_->move((width() - kCloseWidth) / 2, closeButton_->y());
    SetAnchors(closeButton_, TAnchors(TAnchor::Bottom));
}

QString TTechForm::SupportText(const QString &companyName, const QString &callHow)
{
    return QStringLiteral("There are several ways to get technical support. First and fastest is to skim the "
                          "relevant sections of the manual. However, some questions require personal "
                          "assistance, and ") +
           companyName + QStringLiteral(" stands ready to provide that help. You can call us ") + callHow +
           QStringLiteral(" for any of your product questions.") + QStringLiteral("\n\n") +
           QStringLiteral("In order to provide the best and fastest support possible, we ask that you be at "
                          "your computer when you call, and have the ") +
           companyName + QStringLiteral(" product manual and Software Master CD at hand.");
}

void TTechForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        closeButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

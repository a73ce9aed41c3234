#include "setupsupporter.h"

#include "anchors.h"
#include "errorreport.h"
#include "helpform.h"
#include "helptext.h"
#include "techform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <stdexcept>

TSetupSupporter::TSetupSupporter(QWidget *mainWindow, QWidget *clientArea)
    : QObject(mainWindow), mainWindow_(mainWindow), clientArea_(clientArea)
{
    setObjectName(QStringLiteral("SetSup"));
    helpTimer_.setObjectName(QStringLiteral("HelpTimer"));
    connect(&helpTimer_, &QTimer::timeout, this, Guarded([this] { TimerTick(); }));
}

TSetupSupporter::~TSetupSupporter()
{
    helpTimer_.stop();
}

QString TSetupSupporter::HeaderText() const
{
    return CardName() + SeriesSuffix() + QStringLiteral(" Settings Program");
}

QString TSetupSupporter::HelpText() const
{
    return BuildHelpText({CompanyName, CardName(), SeriesSuffix(), MultiPort});
}

QString TSetupSupporter::SupportText() const
{
    return TTechForm::SupportText(CompanyName, CallHow);
}

QSize TSetupSupporter::ScreenSize() const
{
    if (screenSize_.isValid())
        return screenSize_;
    const QScreen *screen = mainWindow_->screen() ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(800, 600);
}

void TSetupSupporter::BuildHeaderLabel()
{
    headerLabel_ = new QLabel(clientArea_);
    headerLabel_->setObjectName(QStringLiteral("HeaderLabel"));
    headerLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    headerLabel_->setFont(QFont(QStringLiteral("Tahoma"), 18, QFont::Bold));
    QPalette black = headerLabel_->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    headerLabel_->setPalette(black);
    headerLabel_->setText(HeaderText());
    // Across the top edge, full width.
    headerLabel_->setGeometry(0, 0, clientArea_->width(), headerLabel_->sizeHint().height());
    SetAnchors(headerLabel_, TAnchors(TAnchor::Left) | TAnchor::Top | TAnchor::Right);
    headerLabel_->show();
}

void TSetupSupporter::BuildSupportWindows()
{
    BuildHeaderLabel();
    helpForm_ = new THelpForm(mainWindow_, clientArea_, HelpText());
    helpForm_->ScaleToScreen(ScreenSize());
    techForm_ = new TTechForm(mainWindow_, SupportText());
    helpPending_ = true;
    UpdateTimer();
}

void TSetupSupporter::UpdateTimer()
{
    helpTimer_.stop();
    if (!helpPending_)
        return;
    helpTimer_.start(kHelpDelayMs);
    if (!helpTimer_.isActive())
        throw std::runtime_error("Not enough timers available");
}

void TSetupSupporter::TimerTick()
{
    if (!helpPending_)
        return;
    if (helpForm_)
        helpForm_->show();
    helpPending_ = false;
    UpdateTimer();
}

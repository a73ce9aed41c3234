#include "popupform.h"

#include "anchors.h"
#include "boardhighlight.h"
#include "errorreport.h"
#include "radiopanel.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QCursor>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

namespace {

constexpr int kStatusHeight = 19;
constexpr int kButtonWidth = 58;
constexpr int kButtonHeight = 25;
// From the client bottom to the buttons' top: the status bar and a gap.
constexpr int kButtonsFromBottom = 44;
constexpr int kGap = 6;
// Below the panel: one free row, the text box, the gap, the buttons and the status bar.
constexpr int kBelowPanelBesidesMemo = 1 + kGap + kButtonHeight + kStatusHeight;

} // namespace

TPopupForm::TPopupForm(TBoardHighlight *highlight)
    : QWidget(highlight, Qt::Tool | Qt::WindowStaysOnTopHint), highlight_(highlight),
      tag_(int(highlight->HighlightType()))
{
    setObjectName(QStringLiteral("PopupForm"));
    setWindowTitle(highlight->PopupCaption());
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A top-level window does not inherit its owner's font; the panel's
    // captions are sized for the main window's.
    setFont(highlight->window()->font());
}

TBoardHighlight *TPopupForm::Highlight() const
{
    return highlight_;
}

TRadioPanel *TPopupForm::Panel() const
{
    return panel_;
}

// The sizing rules count a frame of fixed design metrics: the real frame is
// known only once the window is shown, and differs between window systems.
QSize TPopupForm::FrameExtent() const
{
    return kNominalFrame;
}

QPoint TPopupForm::TakePanel(TRadioPanel *panel)
{
    panel_ = panel;
    memoHeight_ = panel->MemoHeight();
    const QPoint designPos = panel->pos();
    panel->move(0, 0);
    resize(panel->width(), panel->height() + kBelowPanelBesidesMemo + memoHeight_);
    panel->setParent(this);
    panel->show();
    panel->MarkPlaced();
    return designPos;
}

void TPopupForm::SizeWithoutPanel()
{
    memoHeight_ = kDefaultMemoHeight;
    SetOuterSize(QSize(194, memoHeight_ + 64 + kStatusHeight));
}

void TPopupForm::FixMinimumSize()
{
    const QSize outer = OuterSize();
    SetOuterSize(QSize(std::max(kMinimumOuterSize.width(), outer.width()),
                       std::max(kMinimumOuterSize.height(), outer.height())));
    setMinimumSize(size());
}

QPushButton *TPopupForm::AddButton(const QString &caption, int left, void (TBoardHighlight::*handler)())
{
    auto *button = new QPushButton(caption, this);
    button->setAutoDefault(false);
    button->setGeometry(left, height() - kButtonsFromBottom, kButtonWidth, kButtonHeight);
    connect(button, &QPushButton::clicked, this, Guarded([this, handler] {
                if (highlight_)
                    (highlight_.data()->*handler)();
            }));
    return button;
}

void TPopupForm::AddParts()
{
    popupStatus_ = new QStatusBar(this);
    popupStatus_->setObjectName(QStringLiteral("PopupStatus"));
    popupStatus_->setSizeGripEnabled(false);
    popupStatus_->setGeometry(0, height() - kStatusHeight, width(), kStatusHeight);
    SetAnchors(popupStatus_, TAnchors(TAnchor::Left) | TAnchor::Right | TAnchor::Bottom);

    previousButton_ = AddButton(tr("Previous"), 6, &TBoardHighlight::PreviousClick);
    previousButton_->setObjectName(QStringLiteral("PreviousButton"));
    SetAnchors(previousButton_, TAnchors(TAnchor::Left) | TAnchor::Bottom);
    nextButton_ = AddButton(tr("Next"), (width() - kButtonWidth) / 2, &TBoardHighlight::NextClick);
    nextButton_->setObjectName(QStringLiteral("NextButton"));
    SetAnchors(nextButton_, TAnchors(TAnchor::Bottom));
    doneButton_ = AddButton(tr("Done"), width() - 64, &TBoardHighlight::DoneClick);
    doneButton_->setObjectName(QStringLiteral("DoneButton"));
    SetAnchors(doneButton_, TAnchors(TAnchor::Right) | TAnchor::Bottom);

    statusMemo_ = new QPlainTextEdit(this);
    statusMemo_->setObjectName(QStringLiteral("StatusMemo"));
    statusMemo_->setReadOnly(true);
    statusMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    statusMemo_->setGeometry(6, doneButton_->y() - kGap - memoHeight_, width() - 12, memoHeight_);
    statusMemo_->setPlainText(panel_ ? panel_->Lines().join(QLatin1Char('\n')) : QString());
    SetAnchors(statusMemo_, kAnchorsAll);
}

void TPopupForm::KeepOnScreen()
{
    const QScreen *screen = QGuiApplication::screenAt(pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = OuterSize();
    QPoint place = pos();
    if (place.x() < area.left())
        place.setX(area.left());
    else if (place.x() + outer.width() > area.right() + 1)
        place.setX(area.right() + 1 - outer.width());
    if (place.y() < area.top())
        place.setY(area.top());
    else if (place.y() + outer.height() > area.bottom() + 1)
        place.setY(area.bottom() + 1 - outer.height());
    move(place);
}

void TPopupForm::TakeFocus()
{
    raise();
    activateWindow();
    // The panel takes the focus through its first control that accepts it;
    // a panel of text only has none, and the focus goes to "Done".
    QWidget *target = doneButton_;
    if (panel_)
        for (QWidget *child : panel_->findChildren<QWidget *>())
            if (child->focusPolicy() & Qt::TabFocus && child->isEnabled()) {
                target = child;
                break;
            }
    if (target)
        target->setFocus();
}

void TPopupForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    const bool active = isActiveWindow();
    RunGuarded([this, active] {
        if (highlight_)
            highlight_->SetActive(active, true);
        if (panel_) {
            const TNotifyEvent &handler = active ? panel_->OnActivate : panel_->OnDeactivate;
            if (handler)
                handler(this);
        }
    });
}

void TPopupForm::PointerLeft(QPoint screenPos)
{
    const QPoint relative = screenPos - pos();
    if (!closeOnLeave_ || QRect(QPoint(0, 0), OuterSize()).contains(relative))
        return;
    close();
}

void TPopupForm::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    RunGuarded([this] { PointerLeft(QCursor::pos()); });
}

void TPopupForm::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    RunGuarded([this] {
        if (highlight_)
            highlight_->PopupClosed();
    });
}

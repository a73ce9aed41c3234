#include "boardhighlight.h"

#include "boardimage.h"
#include "drawring.h"
#include "errorreport.h"
#include "popupform.h"
#include "radiopanel.h"

#include <QCursor>
#include <algorithm>
#include <QMouseEvent>
#include <QPainter>

TBoardHighlight::TBoardHighlight(QWidget *parent) : QWidget(parent)
{
    resize(65, 65);
    // The chosen picture covers the whole area: nothing beneath need be drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    highlightType_ = THighlightType::htOptions;
    SetHighlightType(THighlightType::htSettings);
}

void TBoardHighlight::SetHighlightType(THighlightType type)
{
    if (type == highlightType_)
        return;
    highlightType_ = type;
    const THighlightKind &kind = KindOf(type);
    ringColor_ = kind.ringColor;
    dimAlpha_ = kind.dimAlpha;
    glowAlpha_ = kind.glowAlpha;
    mediumAlpha_ = kind.mediumAlpha;
    update();
}

void TBoardHighlight::SetTitle(const QString &title)
{
    if (title == title_)
        return;
    title_ = title;
    popupCaption_ = QString(title).remove(QLatin1Char('&'));
    menuBaseName_ = MenuBaseNameOf(title);
}

QString TBoardHighlight::MenuBaseNameOf(const QString &title)
{
    auto isStart = [](QChar c) { return (c.isLetter() && c.unicode() < 128) || c == QLatin1Char('_'); };
    auto isPart = [&](QChar c) { return isStart(c) || (c.isDigit() && c.unicode() < 128); };
    if (title.isEmpty() || (isStart(title[0]) && std::all_of(title.begin(), title.end(), isPart)))
        return title;
    QString name;
    bool started = false;
    for (const QChar c : title) {
        started = started || isStart(c);
        if (started && isPart(c))
            name.append(c);
    }
    return name;
}

bool TBoardHighlight::InBoardImage() const
{
    return parentWidget() && parentWidget()->metaObject() == &TBoardImage::staticMetaObject;
}

bool TBoardHighlight::IsGroupMember(const TBoardHighlight *other) const
{
    return other->parentWidget() == parentWidget() && other->metaObject() == &TBoardHighlight::staticMetaObject &&
           metaObject() == &TBoardHighlight::staticMetaObject && other->title_ == title_ &&
           other->highlightType_ == highlightType_;
}

QList<TBoardHighlight *> TBoardHighlight::GroupMembers()
{
    // Outside a board image a highlight is a group of its own.
    if (!InBoardImage())
        return {this};
    QList<TBoardHighlight *> members;
    for (QObject *child : parentWidget()->children())
        if (auto *highlight = qobject_cast<TBoardHighlight *>(child); highlight && IsGroupMember(highlight))
            members.append(highlight);
    return members;
}

bool TBoardHighlight::SetRadioPanel(TRadioPanel *panel)
{
    if (panel == radioPanel_)
        return true;
    if (panel && parentWidget()) {
        for (QObject *child : parentWidget()->children()) {
            auto *other = qobject_cast<TBoardHighlight *>(child);
            if (other && other != this && other->radioPanel_ == panel &&
                (other->title_ != title_ || other->highlightType_ != highlightType_))
                return false;
        }
    }
    radioPanel_ = panel;
    return true;
}

const QImage &TBoardHighlight::CurrentBitmap() const
{
    if (active_ && lit_)
        return glowBitmap_;
    if (active_ || lit_)
        return mediumBitmap_;
    return dimBitmap_;
}

QImage TBoardHighlight::Background() const
{
    if (auto *image = qobject_cast<TBoardImage *>(parentWidget()))
        return image->RenderedArea(geometry());
    QImage plain(size(), QImage::Format_RGB32);
    plain.fill(parentWidget() ? parentWidget()->palette().color(QPalette::Window) : QColor(Qt::white));
    return plain;
}

void TBoardHighlight::RenderRings()
{
    const QImage background = Background();
    dimBitmap_ = glowBitmap_ = mediumBitmap_ = background;
    DrawRing(dimBitmap_, width(), height(), false, ringColor_, dimAlpha_);
    DrawRing(glowBitmap_, width(), height(), true, ringColor_, glowAlpha_);
    DrawRing(mediumBitmap_, width(), height(), false, ringColor_, mediumAlpha_);
}

void TBoardHighlight::paintEvent(QPaintEvent *)
{
    if (!initialized_) {
        RenderRings();
        ownerMenu_ = InBoardImage() ? static_cast<TBoardImage *>(parentWidget())->Menu() : nullptr;
        if (ownerMenu_)
            AddMenuEntry();
        initialized_ = true;
    }
    QPainter p(this);
    p.drawImage(QPoint(0, 0), CurrentBitmap(), QRect(0, 0, width(), height()));
}

void TBoardHighlight::enterEvent(QEnterEvent *)
{
    RunGuarded([this] { PointerEnter(false); });
}

void TBoardHighlight::leaveEvent(QEvent *)
{
    RunGuarded([this] { PointerLeave(false); });
}

void TBoardHighlight::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void TBoardHighlight::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        RunGuarded([this] { Click(); });
}

void TBoardHighlight::PointerEnter(bool propagated)
{
    if (lit_)
        return;
    lit_ = true;
    update();
    if (createPopup_)
        ShowPopup();
    if (!propagated)
        for (TBoardHighlight *member : GroupMembers())
            member->PointerEnter(true);
}

void TBoardHighlight::PointerLeave(bool propagated)
{
    if (!lit_)
        return;
    if (popup_ && !pinned_) {
        if (popup_->frameGeometry().contains(QCursor::pos())) {
            // The pointer went straight into the popup: it stays until the
            // pointer leaves it.
            popup_->SetCloseOnLeave(true);
            PinGroup();
        } else {
            popup_->close();
        }
    }
    if (!propagated)
        for (TBoardHighlight *member : GroupMembers())
            member->PointerLeave(true);
}

void TBoardHighlight::Click()
{
    emit clicked();
    PinGroup();
}

void TBoardHighlight::PinGroup()
{
    if (popup_) {
        pinned_ = true;
        CheckMenuEntry(true);
    }
    for (TBoardHighlight *member : GroupMembers())
        member->PinAndFocus();
}

void TBoardHighlight::PinAndFocus()
{
    if (!popup_)
        return;
    pinned_ = true;
    CheckMenuEntry(true);
    popup_->TakeFocus();
}

void TBoardHighlight::SetActive(bool active, bool propagate)
{
    active_ = active;
    raise();
    update();
    if (!propagate)
        return;
    // Raising reorders the parent's children: walk a copy taken beforehand.
    const QList<TBoardHighlight *> members = GroupMembers();
    for (TBoardHighlight *member : members)
        if (member != this)
            member->SetActive(active, false);
}

void TBoardHighlight::PopupClosed()
{
    CheckMenuEntry(false);
    if (popup_)
        popup_->SetCloseOnLeave(false);
    Unlight();
    for (TBoardHighlight *member : GroupMembers())
        member->Unlight();
}

void TBoardHighlight::Unlight()
{
    lit_ = false;
    update();
}

void TBoardHighlight::DoneClick()
{
    if (popup_)
        popup_->close();
}

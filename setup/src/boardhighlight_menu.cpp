// The highlights' entries in the main window's menu bar, and the Previous and
// Next navigation that walks them.
#include "boardhighlight.h"

#include "errorreport.h"
#include "popupform.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

const char *const kHandlerProperty = "highlightHandler";

// The top-level items that a new item of each kind goes before, so that the
// bar always reads Settings, Calibration, Options, Help.
QStringList CaptionsAfter(THighlightType type)
{
    switch (type) {
    case THighlightType::htSettings:
        return {QStringLiteral("&Calibration"), QStringLiteral("&Options"), QStringLiteral("&Help")};
    case THighlightType::htCalibration:
        return {QStringLiteral("&Options"), QStringLiteral("&Help")};
    case THighlightType::htOptions:
        break;
    }
    return {QStringLiteral("&Help")};
}

// The base name followed by the smallest number from 1 up that no object of
// the owner carries yet.
QString UniqueName(QObject *owner, const QString &base)
{
    for (int number = 1;; ++number) {
        const QString name = base + QString::number(number);
        if (!owner || !owner->findChild<QObject *>(name))
            return name;
    }
}

QObject *NameOwner(QMenuBar *bar)
{
    return bar->window() ? static_cast<QObject *>(bar->window()) : bar;
}

} // namespace

QMenu *TBoardHighlight::KindMenu() const
{
    if (!ownerMenu_)
        return nullptr;
    const QString caption = KindOf(highlightType_).menuCaption;
    for (QAction *item : ownerMenu_->actions())
        if (item->menu() && item->text() == caption)
            return item->menu();
    return nullptr;
}

QAction *TBoardHighlight::OwnEntry() const
{
    QMenu *menu = KindMenu();
    if (!menu)
        return nullptr;
    for (QAction *entry : menu->actions())
        if (entry->text() == title_)
            return entry;
    return nullptr;
}

void TBoardHighlight::AppendEntry(QMenu *menu)
{
    QAction *entry = menu->addAction(title_);
    entry->setObjectName(UniqueName(NameOwner(ownerMenu_), menuBaseName_));
    entry->setCheckable(true);
    entry->setProperty(kHandlerProperty, QVariant::fromValue(static_cast<QObject *>(this)));
    connect(entry, &QAction::triggered, this, [this, entry](bool checked) {
        // Qt toggles a checkable entry before reporting it; the mark is ours
        // to set: it shows whether the group's popup is open and pinned.
        entry->setChecked(!checked);
        RunGuarded([this, entry] { MenuEntryClick(entry); });
    });
}

void TBoardHighlight::AddMenuEntry()
{
    if (!ownerMenu_)
        return;
    QMenu *menu = KindMenu();
    if (!menu) {
        const THighlightKind &kind = KindOf(highlightType_);
        menu = new QMenu(kind.menuCaption, ownerMenu_);
        menu->setObjectName(UniqueName(NameOwner(ownerMenu_), kind.menuBaseName));
        QAction *before = nullptr;
        const QStringList after = CaptionsAfter(highlightType_);
        for (QAction *item : ownerMenu_->actions())
            if (after.contains(item->text())) {
                before = item;
                break;
            }
        ownerMenu_->insertMenu(before, menu);
    } else if (OwnEntry()) {
        return;  // another member of the group added it
    }
    if (!title_.isEmpty())
        AppendEntry(menu);
}

void TBoardHighlight::CheckMenuEntry(bool on)
{
    if (QAction *entry = OwnEntry())
        entry->setChecked(on);
}

void TBoardHighlight::MenuEntryClick(QObject *sender)
{
    auto *item = qobject_cast<QAction *>(sender);
    if (!item || !item->isChecked()) {
        PointerEnter(false);
        PinGroup();
        PointerLeave(false);
        return;
    }
    if (popup_) {
        popup_->close();
        return;
    }
    for (TBoardHighlight *member : GroupMembers())
        if (member->popup_)
            member->popup_->close();
}

void TBoardHighlight::OpenNeighbour(int step)
{
    QMenu *menu = KindMenu();
    QAction *own = OwnEntry();
    if (!menu || !own)
        return;
    const QList<QAction *> entries = menu->actions();
    const qsizetype count = entries.size();
    const qsizetype k = entries.indexOf(own);
    if (popup_)
        popup_->close();
    QAction *target = entries[(k + step + count) % count];
    if (auto *handler = qobject_cast<TBoardHighlight *>(target->property(kHandlerProperty).value<QObject *>()))
        handler->MenuEntryClick(this);
}

void TBoardHighlight::PreviousClick()
{
    OpenNeighbour(-1);
}

void TBoardHighlight::NextClick()
{
    OpenNeighbour(+1);
}

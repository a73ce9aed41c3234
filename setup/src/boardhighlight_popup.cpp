// How a highlight creates, places and shows its group's popup window.
#include "boardhighlight.h"

#include "boardimage.h"
#include "popupform.h"
#include "radiopanel.h"

#include <QApplication>

namespace {

// The popup of a group, whichever member created it.
bool GroupPopupExists(const QString &caption, THighlightType type)
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *popup = qobject_cast<TPopupForm *>(window))
            if (popup->windowTitle() == caption && popup->Tag() == int(type))
                return true;
    return false;
}

} // namespace

QPoint TBoardHighlight::PopupPosition(QPoint panelDesignPos) const
{
    const QWidget *image = parentWidget();
    if (!image)
        return QPoint(0, 0);
    QPoint shift(0, 0);
    if (!radioPanel_) {
        // Without a panel the popup opens 38 pixels below the image.
        shift = QPoint(0, -(image->height() + 38));
    } else if (auto *board = qobject_cast<const TBoardImage *>(image)) {
        // Where the panel lay beside the image at design time, moved by as
        // much as the image has moved since its first drawing.
        shift = QPoint(board->OriginalLeft(), board->OriginalTop()) - panelDesignPos;
    }
    const QPoint inWindow = image->pos() - shift;
    // The window positions are inside the image's parent; the popup is a
    // top-level window and needs screen coordinates.
    const QWidget *holder = image->parentWidget();
    return holder ? holder->mapToGlobal(inWindow) : inWindow;
}

void TBoardHighlight::ShowPopup()
{
    if (popup_) {
        if (popup_->isHidden())
            pinned_ = false;
        popup_->show();
        popup_->raise();
        popup_->activateWindow();
        return;
    }
    if (GroupPopupExists(popupCaption_, highlightType_))
        return;  // another member owns it and shows it on its own pointer enter

    popup_ = new TPopupForm(this);
    pinned_ = false;
    QPoint panelDesignPos(0, 0);
    if (radioPanel_)
        panelDesignPos = popup_->TakePanel(radioPanel_);
    else
        popup_->SizeWithoutPanel();
    popup_->FixMinimumSize();
    popup_->move(PopupPosition(panelDesignPos));
    popup_->AddParts();
    popup_->KeepOnScreen();
    popup_->show();
    popup_->TakeFocus();
}

// An elliptical region over one feature of the board photograph. It glows in
// the colour of its kind, opens a popup explaining the feature and lists
// itself in the main window's menu of its kind. Highlights with the same
// title and kind on one board image form a group that acts as one.
#pragma once

#include "highlighttype.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class QAction;
class QMenu;
#include <QMenuBar>
#include "popupform.h"
#include "radiopanel.h"

class TBoardHighlight : public QWidget {
    Q_OBJECT
public:
    explicit TBoardHighlight(QWidget *parent = nullptr);

    THighlightType HighlightType() const { return highlightType_; }
    void SetHighlightType(THighlightType type);
    const QString &Title() const { return title_; }
    void SetTitle(const QString &title);
    const QString &PopupCaption() const { return popupCaption_; }
    const QString &MenuBaseName() const { return menuBaseName_; }
    TRadioPanel *RadioPanel() const { return radioPanel_; }
    // Refused (false, the old link stays) when another highlight of the same
    // parent with another title or kind already uses the panel.
    bool SetRadioPanel(TRadioPanel *panel);
    bool CreatePopup() const { return createPopup_; }
    void SetCreatePopup(bool on) { createPopup_ = on; }

    QColor RingColor() const { return ringColor_; }
    float DimAlpha() const { return dimAlpha_; }
    float GlowAlpha() const { return glowAlpha_; }
    float MediumAlpha() const { return mediumAlpha_; }
    const QImage &DimBitmap() const { return dimBitmap_; }
    const QImage &GlowBitmap() const { return glowBitmap_; }
    const QImage &MediumBitmap() const { return mediumBitmap_; }
    const QImage &CurrentBitmap() const;

    bool Lit() const { return lit_; }
    bool Pinned() const { return pinned_; }
    bool Active() const { return active_; }
    bool Initialized() const { return initialized_; }
    TPopupForm *Popup() const { return popup_; }
    QMenuBar *OwnerMenu() const { return ownerMenu_; }

    // Group members in the parent's child order, this highlight included.
    QList<TBoardHighlight *> GroupMembers();

    void PointerEnter(bool propagated);
    void PointerLeave(bool propagated);
    void Click();
    void RenderRings();
    void AddMenuEntry();
    void CheckMenuEntry(bool on);
    void MenuEntryClick(QObject *sender);
    void ShowPopup();
    void PinGroup();
    void PinAndFocus();
    void SetActive(bool active, bool propagate);
    void PopupClosed();
    void Unlight();
    void PreviousClick();
    void NextClick();
    void DoneClick();

    // Derivation of the menu entry's internal name from a title.
    static QString MenuBaseNameOf(const QString &title);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool InBoardImage() const;
    bool IsGroupMember(const TBoardHighlight *other) const;
    QImage Background() const;
    QMenu *KindMenu() const;
    QAction *OwnEntry() const;
    void AppendEntry(QMenu *menu);
    void OpenNeighbour(int step);
    QPoint PopupPosition(QPoint panelDesignPos) const;

    QImage dimBitmap_, glowBitmap_, mediumBitmap_;
    float dimAlpha_ = 0, glowAlpha_ = 0, mediumAlpha_ = 0;
    QColor ringColor_;
    THighlightType highlightType_ = THighlightType::htOptions;
    bool lit_ = false;
    QPointer<TPopupForm> popup_;
    QString title_, popupCaption_, menuBaseName_;
    QPointer<QMenuBar> ownerMenu_;
    bool initialized_ = false;
    bool createPopup_ = true;
    bool pinned_ = false;
    QPointer<TRadioPanel> radioPanel_;
    bool active_ = false;
    bool pressed_ = false;
};

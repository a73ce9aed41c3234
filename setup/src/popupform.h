// The small always-on-top window that explains one highlight group: the
// group's panel of controls above its explanation text, the buttons
// "Previous", "Next" and "Done", and an empty status bar.
#pragma once

#include "highlighttype.h"

#include <QPointer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class TBoardHighlight;
class TRadioPanel;

class TPopupForm : public QWidget {
    Q_OBJECT
public:
    // The outer size a popup opens with at the least, frame included.
    static constexpr QSize kMinimumOuterSize{194, 122};
    // Height of the panel-less popup's text box.
    static constexpr int kDefaultMemoHeight = 58;
    // The frame of a sizable tool window at 96 dpi: outer sizes are the
    // client size plus this.
    static constexpr QSize kNominalFrame{8, 26};

    explicit TPopupForm(TBoardHighlight *highlight);

    TBoardHighlight *Highlight() const;
    int Tag() const { return tag_; }
    bool CloseOnLeave() const { return closeOnLeave_; }
    void SetCloseOnLeave(bool on) { closeOnLeave_ = on; }
    QStatusBar *PopupStatus() const { return popupStatus_; }
    QPushButton *PreviousButton() const { return previousButton_; }
    QPushButton *NextButton() const { return nextButton_; }
    QPushButton *DoneButton() const { return doneButton_; }
    QPlainTextEdit *StatusMemo() const { return statusMemo_; }
    TRadioPanel *Panel() const;

    QSize FrameExtent() const;
    QSize OuterSize() const { return size() + FrameExtent(); }
    void SetOuterSize(QSize outer) { resize(outer - FrameExtent()); }

    // Moves the panel in, sizes the window around it and returns the panel's
    // former (design) position.
    QPoint TakePanel(TRadioPanel *panel);
    void SizeWithoutPanel();
    // The popup may grow but never becomes smaller than it opens.
    void FixMinimumSize();
    void AddParts();
    void KeepOnScreen();
    void TakeFocus();
    // Pointer-leave rule: closes a popup with CloseOnLeave set once the
    // pointer (at the given screen position) is outside its rectangle.
    void PointerLeft(QPoint screenPos);

protected:
    void changeEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QPushButton *AddButton(const QString &caption, int left, void (TBoardHighlight::*handler)());

    QStatusBar *popupStatus_ = nullptr;
    QPointer<TBoardHighlight> highlight_;
    bool closeOnLeave_ = false;
    int tag_ = 0;
    QPointer<TRadioPanel> panel_;
    int memoHeight_ = kDefaultMemoHeight;
    QPushButton *previousButton_ = nullptr;
    QPushButton *nextButton_ = nullptr;
    QPushButton *doneButton_ = nullptr;
    QPlainTextEdit *statusMemo_ = nullptr;
};

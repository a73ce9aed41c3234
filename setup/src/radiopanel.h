// A hidden container holding one popup's controls and explanation text; a
// highlight moves it into its popup window when the popup is first shown.
#pragma once

#include "anchors.h"

#include <QFrame>
#include <QStringList>

#include <functional>

using TNotifyEvent = std::function<void(QObject *sender)>;

class TRadioPanel : public QFrame {
    Q_OBJECT
public:
    explicit TRadioPanel(QWidget *parent = nullptr);

    const QStringList &Lines() const { return lines_; }
    void SetLines(const QStringList &lines) { lines_ = lines; }
    int MemoHeight() const { return memoHeight_; }
    void SetMemoHeight(int height) { memoHeight_ = height; }
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TAnchors FinalAnchors() const { return finalAnchors_; }
    void SetFinalAnchors(TAnchors anchors);
    bool Placed() const { return placed_; }
    // Called by the popup that has taken the panel in.
    void MarkPlaced();

private:
    QStringList lines_;
    int memoHeight_ = 58;
    TAnchors finalAnchors_ = kAnchorsLeftTop;
    bool placed_ = false;
};

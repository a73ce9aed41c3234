// Anchoring of child widgets: an anchored side keeps its distance to the same
// side of the parent when the parent is resized. A widget anchored on neither
// the left nor the right keeps its horizontal centre in proportion to the
// parent's width (the same holds vertically).
#pragma once

#include <QFlags>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

enum class TAnchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
Q_DECLARE_FLAGS(TAnchors, TAnchor)
Q_DECLARE_OPERATORS_FOR_FLAGS(TAnchors)

inline constexpr TAnchors kAnchorsLeftTop = TAnchors(TAnchor::Left) | TAnchor::Top;
inline constexpr TAnchors kAnchorsAll = kAnchorsLeftTop | TAnchor::Right | TAnchor::Bottom;

// Sets the widget's anchors; the widget's current geometry inside its parent's
// current size becomes the reference for later resizes of the parent.
void SetAnchors(QWidget *widget, TAnchors anchors);
TAnchors Anchors(const QWidget *widget);

// Watches one parent and repositions its anchored children when it resizes.
class TAnchorKeeper : public QObject {
    Q_OBJECT
public:
    explicit TAnchorKeeper(QWidget *parent);
    static TAnchorKeeper *For(QWidget *parent);
    void Track(QWidget *child, TAnchors anchors);
    void Rebase();  // takes the present geometry of all children as the reference
    // Places the children for the parent's present size; a hidden parent gets
    // no resize events until it is shown, so its owner calls this.
    void Apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct TTracked {
        QWidget *child;
        TAnchors anchors;
        QRect reference;
        QSize parentReference;
    };
    void Reposition(const QSize &parentSize);
    static QRect Place(const TTracked &tracked, const QSize &parentSize);

    QWidget *parentWidget_;
    QList<TTracked> tracked_;
};

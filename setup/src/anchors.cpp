#include "anchors.h"

#include <QEvent>
#include <QWidget>

namespace {
const char *const kAnchorsProperty = "mirbaxAnchors";
}

void SetAnchors(QWidget *widget, TAnchors anchors)
{
    widget->setProperty(kAnchorsProperty, int(anchors));
    if (QWidget *parent = widget->parentWidget())
        TAnchorKeeper::For(parent)->Track(widget, anchors);
}

TAnchors Anchors(const QWidget *widget)
{
    const QVariant stored = widget->property(kAnchorsProperty);
    return stored.isValid() ? TAnchors(stored.toInt()) : kAnchorsLeftTop;
}

TAnchorKeeper::TAnchorKeeper(QWidget *parent) : QObject(parent), parentWidget_(parent)
{
    setObjectName(QStringLiteral("AnchorKeeper"));
    parent->installEventFilter(this);
}

TAnchorKeeper *TAnchorKeeper::For(QWidget *parent)
{
    if (auto *keeper = parent->findChild<TAnchorKeeper *>(QString(), Qt::FindDirectChildrenOnly))
        return keeper;
    return new TAnchorKeeper(parent);
}

void TAnchorKeeper::Track(QWidget *child, TAnchors anchors)
{
    tracked_.removeIf([child](const TTracked &t) { return t.child == child; });
    tracked_.append({child, anchors, child->geometry(), parentWidget_->size()});
    connect(child, &QObject::destroyed, this, [this, child] {
        tracked_.removeIf([child](const TTracked &t) { return t.child == child; });
    });
}

void TAnchorKeeper::Apply()
{
    Reposition(parentWidget_->size());
}

void TAnchorKeeper::Rebase()
{
    for (TTracked &t : tracked_) {
        t.reference = t.child->geometry();
        t.parentReference = parentWidget_->size();
    }
}

bool TAnchorKeeper::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget_ && event->type() == QEvent::Resize)
        Reposition(parentWidget_->size());
    return QObject::eventFilter(watched, event);
}

void TAnchorKeeper::Reposition(const QSize &parentSize)
{
    for (const TTracked &t : tracked_)
        if (t.child->parentWidget() == parentWidget_)
            t.child->setGeometry(Place(t, parentSize));
}

// One axis: an anchored edge keeps its distance to the parent's edge; with
// both edges anchored the size follows the parent; with neither, the centre
// keeps its proportional place.
static void PlaceAxis(int start, int length, int oldParent, int newParent, bool anchorStart,
                      bool anchorEnd, int &newStart, int &newLength)
{
    const int endGap = oldParent - (start + length);
    newLength = length;
    if (anchorStart && anchorEnd) {
        newStart = start;
        newLength = newParent - endGap - start;
    } else if (anchorStart) {
        newStart = start;
    } else if (anchorEnd) {
        newStart = newParent - endGap - length;
    } else if (oldParent > 0) {
        const double centre = (start + length / 2.0) * newParent / oldParent;
        newStart = int(centre - length / 2.0);
    } else {
        newStart = start;
    }
}

QRect TAnchorKeeper::Place(const TTracked &t, const QSize &parentSize)
{
    int left, width, top, height;
    PlaceAxis(t.reference.left(), t.reference.width(), t.parentReference.width(), parentSize.width(),
              t.anchors.testFlag(TAnchor::Left), t.anchors.testFlag(TAnchor::Right), left, width);
    PlaceAxis(t.reference.top(), t.reference.height(), t.parentReference.height(), parentSize.height(),
              t.anchors.testFlag(TAnchor::Top), t.anchors.testFlag(TAnchor::Bottom), top, height);
    return QRect(left, top, width, height);
}

#include "formsizing.h"

#include "rounding.h"

#include <QWidget>

#include <algorithm>
#include <climits>

QSize SizeAroundParts(const QWidget *window)
{
    int right = 0, bottom = 0, left = INT_MAX, top = INT_MAX;
    for (const QWidget *part : window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (part->isWindow() || part->isHidden())
            continue;
        const QRect box = part->geometry();
        right = std::max(right, box.x() + box.width());
        bottom = std::max(bottom, box.y() + box.height());
        left = std::min(left, box.x());
        top = std::min(top, box.y());
    }
    if (left == INT_MAX)
        return window->size();
    return QSize(right + std::max(left, 0), bottom + std::max(top, 0));
}

double ScreenScale(QSize screen)
{
    const double scale = std::min(screen.width() / 800.0, screen.height() / 450.0);
    return scale < 1.0 ? 1.0 : scale;
}

QSize Scaled(QSize clientSize, double scale)
{
    return QSize(RoundHalfEven(clientSize.width() * scale), RoundHalfEven(clientSize.height() * scale));
}

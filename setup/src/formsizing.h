// Sizing of the code-built windows around their parts.
#pragma once

#include <QSize>

class QWidget;

// The client size that just holds the window's visible parts: their
// rightmost and lowest edges, plus on the right and at the bottom the same
// margin the parts keep on the left and at the top.
QSize SizeAroundParts(const QWidget *window);

// The help window's scale on a screen: the smaller of width / 800 and
// height / 450, at least 1.
double ScreenScale(QSize screen);
QSize Scaled(QSize clientSize, double scale);

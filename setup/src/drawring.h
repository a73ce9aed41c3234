// The glowing elliptical ring of a board highlight.
#pragma once

#include <QColor>
#include <QImage>

// Tints the ellipse inscribed in the picture's W x H rectangle in place: a flat
// tint inside 0.77 of the radius, a ring peaking at 0.875 of the radius that
// fades to nothing at the rim, and with glow a white core line along the ring.
// The picture must be Format_RGB32 (blue, green, red, spare byte per pixel);
// pixels on or outside the ellipse are left unchanged.
void DrawRing(QImage &picture, int width, int height, bool glow, QColor colour, float alpha);

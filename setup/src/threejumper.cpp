#include "threejumper.h"

#include "radiopanel.h"
#include "rounding.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Rectangles and ellipses are given as left, top, right, bottom with the right
// and bottom edges exclusive; Qt's QRect wants the last pixel, hence the -1.
QRect EdgeRect(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Qt strokes a 1-pixel outline on the rectangle's last pixel row and column,
// so an outlined shape is drawn one pixel smaller to cover exactly its edges.
QRect OutlinedRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

} // namespace

TThreeJumper::TThreeJumper(QWidget *parent) : QWidget(parent)
{
    resize(43, 18);
}

bool TThreeJumper::SameFamily(TOrientationType a, TOrientationType b)
{
    auto horizontal = [](TOrientationType o) {
        return o == TOrientationType::otUp || o == TOrientationType::otDown;
    };
    return horizontal(a) == horizontal(b);
}

void TThreeJumper::SetOrientation(TOrientationType orientation)
{
    if (orientation == orientation_)
        return;
    if (!SameFamily(orientation, orientation_))
        swapPending_ = true;
    orientation_ = orientation;
    update();
}

void TThreeJumper::SetJumperState(TJumperState state)
{
    if (state == jumperState_ || (state == TJumperState::jsOpen && !allowOpen_))
        return;
    jumperState_ = state;
    update();
}

void TThreeJumper::SetBaseColor(QColor colour)
{
    if (colour == baseColor_)
        return;
    baseColor_ = colour;
    update();
}

void TThreeJumper::SetJumperColor(QColor colour)
{
    if (colour == jumperColor_)
        return;
    jumperColor_ = colour;
    update();
}

void TThreeJumper::SetPinColor(QColor colour)
{
    if (colour == pinColor_)
        return;
    pinColor_ = colour;
    update();
}

void TThreeJumper::SetBorderStyle(TBorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    update();
}

void TThreeJumper::SetAllowOpen(bool allow)
{
    if (allow == allowOpen_)
        return;
    allowOpen_ = allow;
    if (!allow && jumperState_ == TJumperState::jsOpen)
        jumperState_ = TJumperState::jsLeft;
    update();
}

void TThreeJumper::Click()
{
    switch (jumperState_) {
    case TJumperState::jsOpen:
        jumperState_ = TJumperState::jsLeft;
        break;
    case TJumperState::jsLeft:
        jumperState_ = TJumperState::jsRight;
        break;
    case TJumperState::jsRight:
        jumperState_ = allowOpen_ ? TJumperState::jsOpen : TJumperState::jsLeft;
        break;
    }
    update();
    emit clicked();
}

void TThreeJumper::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void TThreeJumper::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        Click();
}

QSize TThreeJumper::WorkSize() const
{
    const bool vertical = orientation_ == TOrientationType::otLeft || orientation_ == TOrientationType::otRight;
    return vertical ? QSize(height(), width()) : size();
}

QColor TThreeJumper::BackgroundColor() const
{
    const QWidget *parent = parentWidget();
    if (parent && parent->metaObject() == &TRadioPanel::staticMetaObject)
        return parent->palette().color(QPalette::Window);
    return palette().color(QPalette::Button);
}

void TThreeJumper::DrawHorizontal(QImage &work) const
{
    const int bw = work.width(), bh = work.height();
    QPainter p(&work);
    const QColor background = BackgroundColor();
    p.fillRect(EdgeRect(0, 0, bw, bh), background);

    const int pitch = RoundHalfEven((bw - 2) / 4.5) + 1;
    const int radius = std::min((pitch - 1) / 3, RoundHalfEven((bh - 2) / 4.0));
    const int cx = bw / 2, cy = bh / 2;
    const int reach = cx - pitch + 2;

    p.setPen(borderStyle_ == TBorderStyle::bsSingle ? QColor(Qt::black) : baseColor_);
    p.setBrush(baseColor_);
    // The corner ellipse is BH / 2 across; Qt takes its radii.
    const qreal cornerRadius = (bh / 2) / 2.0;
    p.drawRoundedRect(OutlinedRect(1, 1, bw - 1, bh - 1), cornerRadius, cornerRadius);

    p.setPen(Qt::black);
    p.setBrush(jumperColor_);
    if (jumperState_ == TJumperState::jsLeft)
        p.drawRect(OutlinedRect(0, 0, cx + reach / 2, bh));
    else if (jumperState_ == TJumperState::jsRight)
        p.drawRect(OutlinedRect(cx - reach / 2, 0, bw, bh));

    p.setPen(Qt::NoPen);
    p.setBrush(pinColor_);
    for (const int x : {pitch, cx, bw - pitch})
        p.drawEllipse(EdgeRect(x - radius, cy - radius, x + radius, cy + radius));
}

QImage TThreeJumper::Turned(const QImage &work) const
{
    const int bw = work.width(), bh = work.height();
    if (orientation_ == TOrientationType::otUp)
        return work;
    const bool vertical = orientation_ == TOrientationType::otLeft || orientation_ == TOrientationType::otRight;
    QImage result(vertical ? QSize(bh, bw) : QSize(bw, bh), QImage::Format_RGB32);
    for (int y = 0; y < bh; ++y) {
        for (int x = 0; x < bw; ++x) {
            QPoint to;
            switch (orientation_) {
            case TOrientationType::otDown:
                to = QPoint(bw - 1 - x, bh - 1 - y);
                break;
            case TOrientationType::otLeft:
                to = QPoint(y, bw - 1 - x);
                break;
            default:  // otRight
                to = QPoint(bh - 1 - y, x);
                break;
            }
            result.setPixel(to, work.pixel(x, y));
        }
    }
    return result;
}

void TThreeJumper::RenderBitmaps()
{
    workBitmap_ = QImage(WorkSize(), QImage::Format_RGB32);
    if (workBitmap_.isNull()) {
        resultBitmap_ = QImage();
        return;
    }
    DrawHorizontal(workBitmap_);
    resultBitmap_ = Turned(workBitmap_);
}

void TThreeJumper::paintEvent(QPaintEvent *)
{
    RenderBitmaps();
    if (swapPending_) {
        swapPending_ = false;
        // A jumper still being set up keeps the size it was given; a shown
        // one takes the turned size and is painted again at that size.
        if (painted_) {
            resize(height(), width());
            return;
        }
    }
    QPainter p(this);
    p.drawImage(QPoint(0, 0), resultBitmap_, QRect(0, 0, width(), height()));
    painted_ = true;
}

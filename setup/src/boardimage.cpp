#include "boardimage.h"

#include "boardhighlight.h"

#include <QEvent>
#include <QMenuBar>
#include <QPainter>

namespace {

// Restores a flag on leaving the scope, also when drawing throws.
class TFlagSetter {
public:
    TFlagSetter(bool &flag, bool value) : flag_(flag), previous_(flag) { flag_ = value; }
    ~TFlagSetter() { flag_ = previous_; }
    TFlagSetter(const TFlagSetter &) = delete;
    TFlagSetter &operator=(const TFlagSetter &) = delete;

private:
    bool &flag_;
    bool previous_;
};

} // namespace

TBoardImage::TBoardImage(QWidget *parent) : QWidget(parent)
{
    resize(105, 105);
}

TBoardHighlight *TBoardImage::First() const
{
    return first_;
}

void TBoardImage::SetFirst(TBoardHighlight *first)
{
    first_ = first;
}

void TBoardImage::SetPicture(const QImage &picture)
{
    picture_ = picture.convertToFormat(QImage::Format_RGB32);
    PictureChanged();
}

void TBoardImage::SetStretch(bool on)
{
    if (on == stretch_)
        return;
    stretch_ = on;
    PictureChanged();
}

void TBoardImage::SetCenter(bool on)
{
    if (on == center_)
        return;
    center_ = on;
    PictureChanged();
}

void TBoardImage::SetTransparent(bool on)
{
    if (on == transparent_)
        return;
    transparent_ = on;
    PictureChanged();
}

void TBoardImage::SetAutoSize(bool on)
{
    if (on == autoSize_)
        return;
    autoSize_ = on;
    PictureChanged();
}

void TBoardImage::PictureChanged()
{
    const bool hasPicture = !picture_.isNull() && picture_.width() > 0 && picture_.height() > 0;
    if (hasPicture) {
        ratio_ = double(picture_.height()) / double(picture_.width());
        if (autoSize_)
            resize(picture_.size());
    }
    // The parent need not be drawn behind an opaque image.
    const bool smallerThanImage = picture_.width() < width() || picture_.height() < height();
    const bool opaque = hasPicture && !transparent_ && (stretch_ || !smallerThanImage);
    setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    if (!drawing_)
        update();
}

QRect TBoardImage::PictureTarget() const
{
    if (stretch_)
        return rect();
    if (center_)
        return QRect(QPoint((width() - picture_.width()) / 2, (height() - picture_.height()) / 2), picture_.size());
    return QRect(QPoint(0, 0), picture_.size());
}

QPoint TBoardImage::CentredPosition() const
{
    // Centred on the window's outer size (frame, caption and menu bar
    // included), not on its client area, as the window has always shown it.
    const QSize outer = window()->frameGeometry().size();
    return QPoint((outer.width() - width()) / 2, (outer.height() - height()) / 2);
}

QImage TBoardImage::RenderedArea(const QRect &area) const
{
    QImage copy(area.size(), QImage::Format_RGB32);
    copy.fill(palette().color(QPalette::Window));
    if (!picture_.isNull()) {
        QPainter p(&copy);
        p.translate(-area.topLeft());
        p.drawImage(PictureTarget(), picture_);
    }
    return copy;
}

void TBoardImage::SavePosition()
{
    if (positionSaved_)
        return;
    originalLeft_ = x();
    originalTop_ = y();
    positionSaved_ = true;
}

// The image follows the window's size. Moving it from inside its own paint
// would leave the window's backing store drawn at the old place, so the
// centring runs when the image is shown and whenever the window resizes.
void TBoardImage::CentreOnForm()
{
    SavePosition();
    if (centerOnForm_ && parentWidget() && pos() != CentredPosition())
        move(CentredPosition());
}

void TBoardImage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!watchingWindow_ && window() != this) {
        window()->installEventFilter(this);
        watchingWindow_ = true;
    }
    CentreOnForm();
}

bool TBoardImage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        CentreOnForm();
    return QWidget::eventFilter(watched, event);
}

void TBoardImage::paintEvent(QPaintEvent *)
{
    SavePosition();
    TFlagSetter drawing(drawing_, true);
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.drawImage(PictureTarget(), picture_);
}

void TBoardImage::StartTour()
{
    if (!first_)
        return;
    first_->PointerEnter(false);
    first_->Click();
    first_->PointerLeave(false);
}

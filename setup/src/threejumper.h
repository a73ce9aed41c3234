// A drawn three-pin jumper header whose shunt a click moves.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>

enum class TJumperState : uint8_t { jsOpen = 0, jsLeft = 1, jsRight = 2 };
enum class TOrientationType : uint8_t { otUp = 0, otDown = 1, otLeft = 2, otRight = 3 };
enum class TBorderStyle : uint8_t { bsNone, bsSingle };

class TThreeJumper : public QWidget {
    Q_OBJECT
public:
    explicit TThreeJumper(QWidget *parent = nullptr);

    TOrientationType Orientation() const { return orientation_; }
    void SetOrientation(TOrientationType orientation);
    TJumperState JumperState() const { return jumperState_; }
    void SetJumperState(TJumperState state);
    QColor BaseColor() const { return baseColor_; }
    void SetBaseColor(QColor colour);
    QColor JumperColor() const { return jumperColor_; }
    void SetJumperColor(QColor colour);
    QColor PinColor() const { return pinColor_; }
    void SetPinColor(QColor colour);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    bool AllowOpen() const { return allowOpen_; }
    void SetAllowOpen(bool allow);

    bool SwapPending() const { return swapPending_; }
    bool Painted() const { return painted_; }
    const QImage &WorkBitmap() const { return workBitmap_; }
    const QImage &ResultBitmap() const { return resultBitmap_; }

    // Advances the state as a click does, then emits clicked().
    void Click();
    // Draws the header into WorkBitmap and turns it into ResultBitmap.
    void RenderBitmaps();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSize WorkSize() const;
    QColor BackgroundColor() const;
    void DrawHorizontal(QImage &work) const;
    QImage Turned(const QImage &work) const;
    static bool SameFamily(TOrientationType a, TOrientationType b);

    TOrientationType orientation_ = TOrientationType::otUp;
    TJumperState jumperState_ = TJumperState::jsOpen;
    QImage resultBitmap_;
    QImage workBitmap_;
    bool swapPending_ = false;
    bool painted_ = false;
    QColor baseColor_{128, 128, 128};
    QColor jumperColor_{128, 0, 0};
    QColor pinColor_{255, 255, 0};
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    bool allowOpen_ = true;
    bool pressed_ = false;
};

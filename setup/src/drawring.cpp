#include "drawring.h"

#include "rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Inside this squared radius (0.77 of the radius) the tint is flat.
constexpr float kInnerDiscSquared = 0.5929f;
constexpr float kInnerDiscTint = 0.16f;
constexpr float kRingPeak = 0.875f;
constexpr float kRingSlope = 8.0f;

struct TBgra {
    uint8_t blue, green, red, spare;
};

uint8_t Blend(uint8_t base, int colour, float t)
{
    return uint8_t(RoundHalfEven(float(base) * (1.0f - t) + float(colour) * t));
}

} // namespace

void DrawRing(QImage &picture, int width, int height, bool glow, QColor colour, float alpha)
{
    if (picture.format() != QImage::Format_RGB32 || width <= 0 || height <= 0)
        return;
    width = std::min(width, picture.width());
    height = std::min(height, picture.height());
    // The steps are kept in single precision so that the ring's pixels come
    // out the same whatever the compiler does with wider registers.
    const float stepX = 2.0f / float(width);
    const float stepY = 2.0f / float(height);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<TBgra *>(picture.scanLine(y));
        const float v = float(y) * stepY - 1.0f;
        for (int x = 0; x < width; ++x) {
            const float u = float(x) * stepX - 1.0f;
            const float d = u * u + v * v;
            if (d >= 1.0f)
                continue;
            TBgra base = row[x];
            float t;
            if (d < kInnerDiscSquared) {
                t = kInnerDiscTint;
            } else {
                t = 1.0f - std::fabs(std::sqrt(d) - kRingPeak) * kRingSlope;
                if (glow) {
                    t = 2.0f * t;
                    if (t > 1.0f) {
                        base = {255, 255, 255, 0};
                        t = 2.0f - t;
                    }
                }
            }
            t = t * alpha;
            row[x] = {Blend(base.blue, colour.blue(), t), Blend(base.green, colour.green(), t),
                      Blend(base.red, colour.red(), t), base.spare};
        }
    }
}

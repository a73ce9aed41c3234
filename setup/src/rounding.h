// Rounding used wherever a real value becomes a pixel count or a colour.
#pragma once

#include <cmath>

// Nearest integer, halves to even (the default floating-point rounding mode).
inline int RoundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

inline int RoundHalfEven(float value)
{
    return int(std::nearbyintf(value));
}

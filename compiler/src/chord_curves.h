// The curves that place a strummed chord's notes in time and velocity, in
// single precision.  a = count, b = position; s, m, e = the values at the
// start, middle and end.
#pragma once

namespace kvt {

inline float linearCurve(int a, int b, float s, float e)
{
    if (a == 0) return e;
    if (b == 0) return s;
    if (a != b) return s + static_cast<float>(b) * (e - s) / static_cast<float>(a);
    return e;
}

// The quadratic through (0, s), (1/2, m) and (1, e).
inline float threePointCurve(int a, int b, float s, float m, float e)
{
    if (a == 0 || a == b) return e;
    if (b == 0) return s;
    float g = static_cast<float>(b) / static_cast<float>(a);
    float h = g * g;
    return (2.0f * h - 3.0f * g + 1.0f) * s + 4.0f * (g - h) * m + (2.0f * h - g) * e;
}

} // namespace kvt

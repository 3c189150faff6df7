// Integer interpolation shared by slides, tempo slides and modulators.
// Wide intermediates: lengths reach 2^28 ticks, so t*t*value needs more
// than 64 bits.
#pragma once

#include <cstdint>

namespace zemplay {

// start + (target - start) * t / T, truncated toward zero; T > 0.
constexpr int64_t interpolateLinear(int64_t start, int64_t target, uint32_t t, uint32_t T)
{
    return start + static_cast<int64_t>(static_cast<__int128>(target - start) * t / T);
}

// The quadratic through (0, start), (T/2, middle), (T, target); T > 0.
constexpr int64_t interpolateCurve(int64_t start, int64_t middle, int64_t target, uint32_t t, uint32_t T)
{
    __int128 tt = static_cast<__int128>(t) * t;
    __int128 TT = static_cast<__int128>(T) * T;
    __int128 tT = static_cast<__int128>(t) * T;
    __int128 sum = start * (2 * tt + TT - 3 * tT) + 4 * static_cast<__int128>(middle) * (tT - tt) +
                   target * (2 * tt - tT);
    return static_cast<int64_t>(sum / TT);
}

// A segment from start to target over T (through middle when curved);
// T = 0 or t >= T gives the target.
constexpr int64_t interpolate(int64_t start, int64_t middle, bool curved, int64_t target, uint32_t t, uint32_t T)
{
    if (T == 0 || t >= T) return target;
    return curved ? interpolateCurve(start, middle, target, t, T) : interpolateLinear(start, target, t, T);
}

static_assert(interpolateLinear(0, 100, 1, 4) == 25);
static_assert(interpolateLinear(100, 0, 1, 3) == 67);
static_assert(interpolateCurve(0, 50, 100, 2, 4) == 50);
static_assert(interpolateCurve(0, 100, 0, 2, 4) == 100);

} // namespace zemplay

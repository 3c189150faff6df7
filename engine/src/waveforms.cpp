#include "waveforms.h"

#include "random.h"

#include <array>
#include <cmath>

namespace zemplay {

namespace {

constexpr unsigned kQuarter = 16384;

// sin over a quarter cycle, 0..32767 at indexes 0..16384.
const std::array<int16_t, kQuarter + 1>& quarterSine()
{
    static const auto table = [] {
        std::array<int16_t, kQuarter + 1> t{};
        for (unsigned i = 0; i <= kQuarter; ++i)
            t[i] = static_cast<int16_t>(std::lround(32767.0 * std::sin(i * (M_PI / 2) / kQuarter)));
        return t;
    }();
    return table;
}

int32_t sine(uint32_t w, int32_t d)
{
    const auto& t = quarterSine();
    unsigned quarter = w >> 14, i = w & (kQuarter - 1);
    int32_t v = (quarter & 1) ? t[kQuarter - i] : t[i];
    if (quarter >= 2) v = -v;
    return static_cast<int32_t>(int64_t{d} * v / 32767);
}

int32_t triangle(uint32_t w, int32_t d)
{
    unsigned quarter = w >> 14, i = w & (kQuarter - 1);
    int32_t v = (quarter & 1) ? static_cast<int32_t>(kQuarter - i) : static_cast<int32_t>(i);
    if (quarter >= 2) v = -v;
    return static_cast<int32_t>(int64_t{d} * v / 0x4000);
}

int32_t sample(const UserWave& u, unsigned i)
{
    int32_t s = u.samples[i % u.length];
    return s == -128 ? -127 : s;
}

// Position in the user waveform: index and the fraction (0..65535) past it.
void userPosition(const UserWave& u, uint32_t w, unsigned& index, uint32_t& fraction)
{
    uint64_t pos = uint64_t{u.length} * w;
    index = static_cast<unsigned>(pos >> 16);
    fraction = static_cast<uint32_t>(pos & 0xFFFF);
}

int32_t userStepped(const UserWave& u, uint32_t w, int32_t d)
{
    unsigned i;
    uint32_t f;
    userPosition(u, w, i, f);
    return static_cast<int32_t>(int64_t{d} * sample(u, i) / 127);
}

int32_t userLinear(const UserWave& u, uint32_t w, int32_t d)
{
    unsigned i;
    uint32_t f;
    userPosition(u, w, i, f);
    int64_t a = sample(u, i), b = sample(u, i + 1);
    int64_t v = a + (b - a) * f / 65536;
    return static_cast<int32_t>(d * v / 127);
}

// Catmull-Rom through the four neighbours, limited to the sample range.
int32_t userCubic(const UserWave& u, uint32_t w, int32_t d)
{
    unsigned i;
    uint32_t f;
    userPosition(u, w, i, f);
    double p0 = sample(u, i + u.length - 1), p1 = sample(u, i), p2 = sample(u, i + 1), p3 = sample(u, i + 2);
    double x = f / 65536.0;
    double v = p1 + 0.5 * x * (p2 - p0 + x * (2 * p0 - 5 * p1 + 4 * p2 - p3 + x * (3 * (p1 - p2) + p3 - p0)));
    v = std::fmax(-127.0, std::fmin(127.0, v));
    return static_cast<int32_t>(d * static_cast<int64_t>(std::lround(v)) / 127);
}

} // namespace

int32_t waveformValue(unsigned waveform, uint32_t phase, int32_t d, bool wrapped, int32_t& held, const UserWave& user)
{
    uint32_t w = phase & 0xFFFF;
    switch (waveform) {
    case 0: return w < 0x8000 ? d : -d;
    case 1: return sine(w, d);
    case 2: return triangle(w, d);
    case 3: return static_cast<int32_t>(int64_t{d} * static_cast<int16_t>(w) / 0x8000);
    case 4: return static_cast<int32_t>(-int64_t{d} * static_cast<int16_t>(w) / 0x8000);
    case 5:
        if (wrapped) held = static_cast<int32_t>((int64_t{randomSigned()} * d) >> 15);
        return held;
    case 6: return user.length ? userStepped(user, w, d) : 0;
    case 7: return user.length ? userLinear(user, w, d) : 0;
    case 8: return user.length ? userCubic(user, w, d) : 0;
    default: return 0;
    }
}

} // namespace zemplay

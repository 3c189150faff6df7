// Time, tempo, step and key texts of the player window.
#include "frontend/display_text.h"

#include <algorithm>
#include <cstdio>

namespace frontend {

namespace {

template <typename... Args> std::string format(const char* pattern, Args... args)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

} // namespace

std::string timeText(uint32_t elapsedMs)
{
    return format("%u:%.2u.%.2u", elapsedMs / 60000, elapsedMs / 1000 % 60, elapsedMs / 10 % 100);
}

std::string tempoText(uint32_t period, int timebase)
{
    if (period == 0 || timebase <= 0) return "0.00";
    const double bpm = 15360000.0 / (double(timebase) * double(period) * 0.25);
    const auto bpm100 = static_cast<long long>(bpm * 100 + 0.5);
    return format("%lld.%lld%lld", bpm100 / 100, bpm100 / 10 % 10, bpm100 % 10);
}

std::string stepText(const BarPosition& p)
{
    // Signed arithmetic as the display always did; a zero beat count (a
    // damaged image) shows the tick in bar unchanged instead of dividing.
    const long long beatStart = p.beatsPerBar > 0 ? static_cast<long long>(p.barLength) * p.beat / p.beatsPerBar : 0;
    const long long tick = std::min<long long>(static_cast<long long>(p.tickInBar) - beatStart, 9999);
    return format("%d:%3.3d:%4.4lld", static_cast<int>(p.bar), std::min(p.beat + 1, 999), tick);
}

std::string measureText(const BarPosition& p)
{
    const uint32_t beatLength = p.beatsPerBar > 0 ? p.barLength / static_cast<uint32_t>(p.beatsPerBar) : 0;
    return format("%3.3d:%4.4u", p.beatsPerBar, beatLength);
}

std::string keyText(const uint8_t* payload, size_t count)
{
    if (count != 2) return "(META89: length mismatch)";
    const int sharps = static_cast<int8_t>(payload[0]);
    const int mode = payload[1];
    if (mode > 1) return "(META89: illegal)";
    int n = sharps + (mode == 0 ? 1 : 4);
    std::string key(1, "FCGDAEB"[((n % 7) + 7) % 7]);
    for (; n > 6; n -= 7) key += '#';
    for (; n < 0; n += 7) key += 'b';
    return key + (mode == 1 ? " minor" : " major");
}

} // namespace frontend

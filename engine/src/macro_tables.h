// Data of the built-in exclusive messages: argument minimums, the part block
// of each channel and the temperament rows of the scale tuning.
#pragma once

#include "zem/command_words.h"

#include <array>
#include <cstdint>

namespace zemplay {

// Fewest argument bytes per macro code.
inline constexpr auto kMacroMinArgs = std::to_array<uint8_t>({
    1,  1, 1, 1, 1, 1,  1,  1,  2, 2, // 0-9
    3,  2, 7, 2, 8, 2,  10, 16, 2, 4, // 10-19
    3,  5, 3, 5, 3, 3,  3,  1,  2, 1, // 20-29
    33, 2, 2, 2, 2, 2,  3,  2,  5, 3, // 30-39
    6,  2, 5, 3, 1, 34,               // 40-45
});
static_assert(kMacroMinArgs.size() == zem::kMacroCount);

// Part blocks: channel 9 (drums) is block 0, the first nine shift up by one.
inline constexpr std::array<uint8_t, 16> kPartBlock = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12, 13, 14, 15};

// Scale tuning rows: 64 + the deviation in cents of each pitch class.
inline constexpr int kTemperamentCount = 30;
constexpr std::array<uint8_t, 12> row(std::array<int, 12> cents)
{
    std::array<uint8_t, 12> r{};
    for (unsigned i = 0; i < 12; ++i) r[i] = static_cast<uint8_t>(64 + cents[i]);
    return r;
}
inline constexpr auto kTemperaments = std::to_array<std::array<uint8_t, 12>>({
    row({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
    row({0, -29, 4, 16, -14, -2, -31, 2, -27, -16, 18, -12}),
    row({0, -29, -18, 16, -14, -2, -31, 2, -27, -16, 18, -12}),
    row({0, 14, 4, 18, 8, -2, 12, 2, 16, 6, -4, 10}),
    row({0, -8, -18, -6, -14, -2, -10, 2, -8, -16, -4, -12}),
    row({0, -24, -7, 10, -14, 3, -21, -3, -27, -10, 7, -17}),
    row({0, -8, -18, -16, -14, -2, 0, 2, -6, -16, -14, -12}),
    row({0, -36, -10, 16, -21, 5, -31, -5, -42, -16, 10, -26}),
    row({0, -24, -7, 5, -14, 3, -21, -3, -22, -10, 7, -17}),
    row({0, -8, 4, 16, -14, -2, -10, 2, -6, 6, 18, -12}),
    row({0, -29, 4, -25, -14, -2, -31, 2, -27, -16, -4, -12}),
    row({0, -10, -8, -6, -16, -2, -12, -4, -8, -12, -4, -14}),
    row({0, -10, -8, -6, -10, -2, -12, -4, -8, -12, -4, -8}),
    row({0, -10, -7, -6, -8, -2, -12, -3, -8, -10, -4, -6}),
    row({0, -15, -3, -5, -7, -2, -10, -5, -13, -8, 3, -12}),
    row({0, -19, -7, 0, -14, 3, -21, -3, -17, -10, 1, -17}),
    row({0, -9, -7, -5, -14, -2, -10, -3, -7, -10, -3, -12}),
    row({0, -29, 4, -25, -14, -2, -10, 2, -27, -16, 18, -12}),
    row({0, -13, -7, -2, -14, 3, -15, -3, -11, -10, 7, -17}),
    row({0, 2, 4, -5, -14, -2, 0, 2, -7, -16, -14, -12}),
    row({0, -6, -4, -4, -8, -2, -8, -2, -4, -6, -4, -8}),
    row({0, -6, -4, -2, -8, 2, -8, -2, -4, -6, 0, -10}),
    row({0, -29, 4, -26, -14, -2, -10, 2, -27, -16, -23, -12}),
    row({0, -2, 4, 2, 0, -2, 4, 2, 0, -2, 4, 2}),
    row({0, -10, 4, -6, -14, -2, -10, 2, -8, -16, -4, -12}),
    row({0, -10, 4, -6, -14, -2, -10, 2, -8, -5, -4, -12}),
    row({0, -10, -7, -6, -14, -2, -10, -3, -8, -10, -4, -12}),
    row({0, -8, 4, -5, -14, -2, -10, 2, -7, -16, -4, -12}),
    row({0, 12, 4, 16, 7, -2, 10, 2, 14, 5, 18, 9}),
    row({0, 5, 4, 16, -14, -2, -3, 2, 14, -16, 18, -12}),
});
static_assert(kTemperaments.size() == kTemperamentCount);

// The 12 scale tuning bytes for temperament t (30 or more: equal), key k
// and offset o: the row rotated so that the key comes first, plus o, kept
// within 14..104.
constexpr std::array<uint8_t, 12> scaleTuning(unsigned t, unsigned k, int o)
{
    const auto& r = kTemperaments[t < kTemperamentCount ? t : 0];
    unsigned rotation = (12 - k % 12) % 12;
    std::array<uint8_t, 12> out{};
    for (unsigned j = 0; j < 12; ++j) {
        int v = r[(rotation + j) % 12] + o;
        out[j] = static_cast<uint8_t>(v < 14 ? 14 : v > 103 ? 104 : v);
    }
    return out;
}
static_assert(scaleTuning(0, 0, 0)[5] == 64 && scaleTuning(1, 0, 0)[1] == 35 && scaleTuning(1, 1, 0)[1] == 64 &&
              scaleTuning(1, 1, 0)[2] == 35);
static_assert(scaleTuning(0, 0, -60)[0] == 14 && scaleTuning(0, 0, 50)[0] == 104);

} // namespace zemplay

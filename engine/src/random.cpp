#include "random.h"

#include <array>

namespace zemplay {

namespace {

using Table = std::array<uint8_t, 256>;

// Four byte permutations, each an affine map of the index (odd multiplier,
// so every byte value appears once).
constexpr Table makeTable(unsigned multiplier, unsigned addend)
{
    Table t{};
    for (unsigned i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i * multiplier + addend);
    return t;
}
constexpr std::array<Table, 4> kTables = {makeTable(167, 13), makeTable(59, 101), makeTable(221, 7),
                                          makeTable(137, 199)};
constexpr std::array<uint8_t, 4> kCursorSteps = {3, 5, 7, 11};
// The 12 ordered pairs of distinct tables: high byte from the first.
constexpr auto kPairs = std::to_array<std::array<uint8_t, 2>>(
    {{0, 1}, {2, 3}, {1, 2}, {3, 0}, {0, 2}, {1, 3}, {2, 0}, {3, 1}, {0, 3}, {2, 1}, {1, 0}, {3, 2}});
static_assert(kPairs.size() == kTables.size() * (kTables.size() - 1));

struct Generator {
    std::array<uint8_t, 4> cursor{};
    unsigned pair = 0;
};
Generator generator;

uint8_t drawByte(unsigned table)
{
    uint8_t byte = kTables[table][generator.cursor[table]];
    generator.cursor[table] = static_cast<uint8_t>(generator.cursor[table] + kCursorSteps[table]);
    return byte;
}

} // namespace

uint16_t randomUnsigned()
{
    const auto& pair = kPairs[generator.pair];
    generator.pair = (generator.pair + 1) % kPairs.size();
    uint8_t high = drawByte(pair[0]);
    uint8_t low = drawByte(pair[1]);
    return static_cast<uint16_t>(high << 8 | low);
}

} // namespace zemplay

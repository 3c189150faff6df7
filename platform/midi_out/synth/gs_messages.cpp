#include "gs_messages.h"

#include <algorithm>
#include <initializer_list>

namespace platform::gs {

namespace {

constexpr uint8_t kRoland = 0x41;
constexpr uint8_t kGsModel = 0x42;
constexpr uint8_t kDataSet = 0x12;
// F0 41 dev 42 12 + three address bytes; the checksum and F7 end it.
constexpr size_t kAddressAt = 5;
constexpr size_t kDataAt = 8;

int blockChannel(uint8_t block) { return block == 0 ? 9 : block <= 9 ? block - 1 : block; }

bool startsWith(const uint8_t* bytes, size_t count, std::initializer_list<int> pattern)
{
    if (count < pattern.size()) return false;
    size_t i = 0;
    for (int b : pattern) {
        if (b >= 0 && bytes[i] != b) return false; // -1 matches any device number
        ++i;
    }
    return true;
}

} // namespace

std::optional<PartMessage> parsePartMessage(const uint8_t* bytes, size_t count)
{
    if (!bytes || count < kDataAt + 2 || bytes[count - 1] != 0xF7) return std::nullopt;
    if (!startsWith(bytes, count, {0xF0, kRoland, -1, kGsModel, kDataSet, 0x40})) return std::nullopt;
    const uint8_t block = bytes[kAddressAt + 1];
    if ((block & 0xF0) != 0x10) return std::nullopt;
    // The address, the data and the checksum add up to a multiple of 128.
    unsigned sum = 0;
    for (size_t i = kAddressAt; i < count - 1; ++i) sum += bytes[i];
    if (sum % 128 != 0 || std::any_of(bytes + 1, bytes + count - 1, [](uint8_t b) { return b > 0x7F; }))
        return std::nullopt;
    return PartMessage{blockChannel(block & 0x0F), bytes[kAddressAt + 2], bytes + kDataAt, count - kDataAt - 2};
}

bool isSystemReset(const uint8_t* bytes, size_t count)
{
    if (!bytes || count < 6 || bytes[count - 1] != 0xF7) return false;
    return startsWith(bytes, count, {0xF0, 0x7E, -1, 0x09, 0x01}) ||
           startsWith(bytes, count, {0xF0, 0x7E, -1, 0x09, 0x02}) ||
           startsWith(bytes, count, {0xF0, 0x7E, -1, 0x09, 0x03}) ||
           startsWith(bytes, count, {0xF0, kRoland, -1, kGsModel, kDataSet, 0x40, 0x00, 0x7F, 0x00}) ||
           startsWith(bytes, count, {0xF0, 0x43, -1, 0x4C, 0x00, 0x00, 0x7E, 0x00});
}

} // namespace platform::gs

// A GS data-set message for one part with its Roland checksum:
// F0 41 10 42 12 40 1b aa data sum F7, block b 0-15.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline std::vector<uint8_t> partMessage(uint8_t block, uint8_t address, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> m = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, uint8_t(0x10 | block), address};
    for (uint8_t b : data) m.push_back(b);
    unsigned sum = 0;
    for (size_t i = 5; i < m.size(); ++i) sum += m[i];
    m.push_back(uint8_t((128 - sum % 128) % 128));
    m.push_back(0xF7);
    return m;
}

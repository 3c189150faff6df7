// Byte helpers of the Standard MIDI File writer: big-endian numbers and
// variable-length quantities appended to a byte vector.
#pragma once

#include <cstdint>
#include <vector>

namespace smf {

// The largest delta time a variable-length quantity of 4 bytes holds.
inline constexpr uint32_t kMaxVlq = 0x0FFFFFFF;

inline void append_be16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

inline void append_be24(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

inline void append_be32(std::vector<uint8_t>& out, uint32_t v)
{
    append_be16(out, uint16_t(v >> 16));
    append_be16(out, uint16_t(v));
}

// 7 bits per byte, most significant group first, bit 7 set on all bytes but
// the last: 1 byte below 0x80 ... 4 bytes up to kMaxVlq.  Returns false and
// appends nothing for a larger value.
inline bool append_vlq(std::vector<uint8_t>& out, uint32_t v)
{
    if (v > kMaxVlq)
        return false;
    int shift = 21;
    while (shift > 0 && (v >> shift) == 0)
        shift -= 7;
    for (; shift > 0; shift -= 7)
        out.push_back(uint8_t(0x80 | ((v >> shift) & 0x7F)));
    out.push_back(uint8_t(v & 0x7F));
    return true;
}

} // namespace smf

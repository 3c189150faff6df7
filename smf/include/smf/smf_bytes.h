// How Standard MIDI Files store numbers: big-endian fields and variable-length
// quantities.  The writer appends them to a byte vector; the reader decodes
// them through ByteCursor, against the same limits.
#pragma once

#include <cstdint>
#include <vector>

namespace smf {

// A variable-length quantity holds 7 bits per byte in at most 4 bytes.
inline constexpr int kMaxVlqBytes = 4;
// The largest value, and so the largest delta time, it holds.
inline constexpr uint32_t kMaxVlq = (uint32_t(1) << (7 * kMaxVlqBytes)) - 1;

inline void appendBe16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

inline void appendBe24(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

inline void appendBe32(std::vector<uint8_t>& out, uint32_t v)
{
    appendBe16(out, uint16_t(v >> 16));
    appendBe16(out, uint16_t(v));
}

inline uint16_t be16At(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

inline uint32_t be32At(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Most significant group first, bit 7 set on all bytes but the last: 1 byte
// below 0x80 ... kMaxVlqBytes up to kMaxVlq.  Returns false and appends
// nothing for a larger value.
inline bool appendVlq(std::vector<uint8_t>& out, uint32_t v)
{
    if (v > kMaxVlq) return false;
    int shift = 7 * (kMaxVlqBytes - 1);
    while (shift > 0 && (v >> shift) == 0) shift -= 7;
    for (; shift > 0; shift -= 7) out.push_back(uint8_t(0x80 | ((v >> shift) & 0x7F)));
    out.push_back(uint8_t(v & 0x7F));
    return true;
}

} // namespace smf

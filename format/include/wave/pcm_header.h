// The canonical 44-byte header of a RIFF WAVE file of integer PCM samples:
// "RIFF" and the size of what follows, "WAVE", a 16-byte "fmt " chunk, then
// the id and size of the "data" chunk; every number little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace wave {

inline constexpr size_t kPcmHeaderBytes = 44;
// The RIFF size field counts the 36 header bytes after it plus the data.
inline constexpr uint32_t kMaxPcmDataBytes = 0xFFFFFFFFu - 36;

struct PcmFormat {
    uint16_t channels;
    uint32_t rate;          // frames a second
    uint16_t bitsPerSample; // 8 (unsigned samples) or 16 (signed)

    constexpr uint16_t frameBytes() const { return static_cast<uint16_t>(channels * (bitsPerSample / 8)); }
};

constexpr void putLe16(uint8_t* at, uint16_t v)
{
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

constexpr void putLe32(uint8_t* at, uint32_t v)
{
    putLe16(at, static_cast<uint16_t>(v));
    putLe16(at + 2, static_cast<uint16_t>(v >> 16));
}

// The header of dataBytes bytes of samples, at most kMaxPcmDataBytes.
constexpr std::array<uint8_t, kPcmHeaderBytes> pcmHeader(const PcmFormat& format, uint32_t dataBytes)
{
    constexpr uint16_t kPcmTag = 1;
    std::array<uint8_t, kPcmHeaderBytes> h{'R', 'I', 'F', 'F', 0, 0, 0,   0,   'W', 'A', 'V', 'E', 'f', 'm', 't',
                                           ' ', 16,  0,   0,   0, 0, 0,   0,   0,   0,   0,   0,   0,   0,   0,
                                           0,   0,   0,   0,   0, 0, 'd', 'a', 't', 'a', 0,   0,   0,   0};
    putLe32(&h[4], 36 + dataBytes);
    putLe16(&h[20], kPcmTag);
    putLe16(&h[22], format.channels);
    putLe32(&h[24], format.rate);
    putLe32(&h[28], format.rate * format.frameBytes());
    putLe16(&h[32], format.frameBytes());
    putLe16(&h[34], format.bitsPerSample);
    putLe32(&h[40], dataBytes);
    return h;
}

} // namespace wave

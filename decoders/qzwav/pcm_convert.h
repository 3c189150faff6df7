// Conversion of uncompressed WAVE frames into the decoder's output PCM:
// unsigned 8-bit or signed 16-bit, mono or stereo, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qzwav {

struct InputLayout {
    unsigned sampleBytes = 0; // 1 to 4 for integer PCM, 4 or 8 for float
    unsigned channels = 0;    // at least 1; only the first two are used
    unsigned blockAlign = 0;  // bytes per input frame, >= used channels x sampleBytes
};

struct OutputLayout {
    unsigned channels = 0; // 1 or 2
    unsigned bits = 0;     // 8 (unsigned) or 16 (signed)
};

// Integer PCM: the first channel is left, the second (or the first again for
// mono input) right, each widened to 32 bits; mono output averages them.
// Writes frames x channels x bits/8 bytes to out and returns that count.
size_t convertPcm(const uint8_t* in, size_t frames, const InputLayout& input, const OutputLayout& output, uint8_t* out);

// IEEE float (32 or 64 bits) to signed 16-bit: x * 32767 for x >= 0, else
// x * 32768, truncated toward zero and limited to the 16-bit range (NaN is
// 0).  Keeps the first output.channels channels of each frame.
size_t convertFloat(const uint8_t* in, size_t frames, const InputLayout& input, const OutputLayout& output,
                    uint8_t* out);

} // namespace qzwav

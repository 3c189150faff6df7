// Block decoders of the two ADPCM layouts of WAVE files: IMA ADPCM (tag
// 0x11, 4 bits per sample) and Microsoft ADPCM (tag 0x02).  Every block
// starts afresh from its own header, so blocks decode independently.
//
// Output is interleaved signed 16-bit, one or two channels.  A block
// shorter than the file's block size (the cut end of a file) yields the
// samples its whole groups hold; a block whose header is invalid yields
// nothing and is skipped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qzwav {

enum class AdpcmKind { Ima, Microsoft };

struct AdpcmLayout {
    AdpcmKind kind = AdpcmKind::Ima;
    unsigned channels = 1;   // 1 or 2
    unsigned blockAlign = 0; // bytes of a whole block
};

constexpr uint16_t kTagMsAdpcm = 0x0002;
constexpr uint16_t kTagImaAdpcm = 0x0011;

// The layout of a format this decoder handles itself, if it is one.
bool adpcmLayoutOf(uint16_t formatTag, uint16_t channels, uint16_t blockAlign, uint16_t bitsPerSample,
                   AdpcmLayout& layout);

// Frames held by a block of `bytes` bytes (at most blockAlign are read):
// 0 when not even its header fits.
size_t adpcmFramesIn(const AdpcmLayout& layout, size_t bytes);

// Decodes one block of `bytes` bytes into out (room for adpcmFramesIn
// frames); returns the frames written, 0 for an invalid header.
size_t decodeAdpcmBlock(const AdpcmLayout& layout, const uint8_t* block, size_t bytes, int16_t* out);

} // namespace qzwav

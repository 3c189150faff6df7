// Builds RIFF WAVE files byte by byte for fixtures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct RiffChunk {
    std::string id; // four characters
    Bytes body;     // an odd size gets its pad byte when written
};

void putLe16(Bytes& out, uint16_t v);
void putLe32(Bytes& out, uint32_t v);
void putLe64(Bytes& out, uint64_t v);

// A "fmt " body: the 16-byte header, then cbSize and extra when extra is set.
Bytes formatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign, uint16_t bits,
                 const std::optional<Bytes>& extra = std::nullopt);

// WAVE_FORMAT_EXTENSIBLE "fmt " body with the given sub-format tag.
Bytes extensibleBody(uint16_t subTag, uint16_t channels, uint32_t rate, uint16_t bits);

// A form type ("WAVE", "INFO") followed by the chunks, each with its pad
// byte: the body of a RIFF file or of a LIST chunk.
Bytes chunkList(const std::string& form, const std::vector<RiffChunk>& chunks);

// "RIFF" size "WAVE" and the chunks; riffSize overrides the header's size.
Bytes riffFile(const std::vector<RiffChunk>& chunks, std::optional<uint32_t> riffSize = std::nullopt);

// A PCM (tag 1) or float (tag 3) file of the given samples.
Bytes simpleWave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data);

// A text chunk body: the bytes of text and a terminating zero.
Bytes textBody(const std::string& text);

// Stereo 16-bit noise: no stretch of it looks like another.
Bytes stereoNoise16(size_t frames, uint32_t seed);

// The little-endian 16-bit samples of bytes after the first headerBytes.
std::vector<int16_t> samplesOf(const std::string& bytes, size_t headerBytes = 0);

// The "fmt " chunk: WAVEFORMATEX, with WAVE_FORMAT_EXTENSIBLE resolved to
// the tag of its sub-format.
#pragma once

#include "platform/codec.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qzwav {

constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagFloat = 0x0003;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr size_t kMinFormatSize = 16;

enum class SampleKind { Pcm, Float, Compressed };

struct WaveFormat {
    platform::AcmWaveFormat wave; // formatTag is the resolved tag
    SampleKind kind = SampleKind::Compressed;
};

// Reads a chunk of at least 16 bytes; extra points into chunk.
std::optional<WaveFormat> parseWaveFormat(const uint8_t* chunk, size_t size);

} // namespace qzwav

#include "wave_format.h"

#include "qzdecoder.h"

#include <algorithm>
#include <cstring>

namespace qzwav {

namespace {

constexpr size_t kExtraSizeOffset = 16;
constexpr size_t kExtraOffset = 18;
constexpr size_t kExtensibleExtra = 22;
constexpr size_t kSubFormatOffset = 6; // within the extra bytes

// KSDATAFORMAT_SUBTYPE_* GUIDs share these twelve bytes after the 32-bit tag.
constexpr uint8_t kSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t resolvedTag(uint16_t tag, const uint8_t* extra, size_t extraSize)
{
    if (tag != kTagExtensible || extraSize < kExtensibleExtra) return tag;
    const uint8_t* guid = extra + kSubFormatOffset;
    uint32_t subTag = dw_get_le32(guid);
    if (subTag > 0xFFFF || std::memcmp(guid + 4, kSubFormatTail, sizeof kSubFormatTail) != 0) return tag;
    return static_cast<uint16_t>(subTag);
}

} // namespace

std::optional<WaveFormat> parseWaveFormat(const uint8_t* chunk, size_t size)
{
    if (!chunk || size < kMinFormatSize) return std::nullopt;
    WaveFormat f;
    f.wave.formatTag = dw_get_le16(chunk);
    f.wave.channels = dw_get_le16(chunk + 2);
    f.wave.samplesPerSec = dw_get_le32(chunk + 4);
    f.wave.avgBytesPerSec = dw_get_le32(chunk + 8);
    f.wave.blockAlign = dw_get_le16(chunk + 12);
    f.wave.bitsPerSample = dw_get_le16(chunk + 14);
    if (size >= kExtraOffset) {
        f.wave.extra = chunk + kExtraOffset;
        f.wave.extraSize = std::min<size_t>(dw_get_le16(chunk + kExtraSizeOffset), size - kExtraOffset);
    }
    f.wave.formatTag = resolvedTag(f.wave.formatTag, f.wave.extra, f.wave.extraSize);
    if (f.wave.formatTag == kTagPcm)
        f.kind = SampleKind::Pcm;
    else if (f.wave.formatTag == kTagFloat)
        f.kind = SampleKind::Float;
    return f;
}

} // namespace qzwav

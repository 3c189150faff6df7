#include "qzwav_exports.h"
#include "wav_state.h"

#include <algorithm>
#include <new>

namespace qzwav {

namespace {

constexpr size_t kMinFactSize = 4;
constexpr uint8_t kAllPositioning = 1 | DW_CAN_GETPOS | DW_CAN_SETPOS | DW_CAN_SETEND | DW_CAN_SETLOOP;

uint8_t* copyChunk(WavState& s, const dw_host* host, const ChunkPlace& chunk)
{
    auto* copy = static_cast<uint8_t*>(host->alloc(host, chunk.size));
    if (copy && !readExact(s.reader, host, copy, chunk.size)) {
        host->free(host, copy);
        return nullptr;
    }
    return copy;
}

bool readChunks(WavState& s, const dw_host* host)
{
    ChunkPlace fmt;
    if (!checkRiff(s.reader, host) || !findChunk(s.reader, host, "fmt ", fmt) || fmt.size < kMinFormatSize)
        return false;
    if (!(s.fmtCopy = copyChunk(s, host, fmt))) return false;
    s.fmtSize = fmt.size;
    uint64_t afterFmt = fmt.contents + fmt.size + (fmt.size & 1u);

    ChunkPlace fact;
    if (seekTo(s.reader, host, afterFmt) && findChunk(s.reader, host, "fact", fact) && fact.size >= kMinFactSize) {
        if (!(s.factCopy = copyChunk(s, host, fact))) return false;
    }
    // "data" is searched from after "fmt " whether or not "fact" came first,
    // so files that keep "fact" after "data" still open.
    ChunkPlace data;
    if (!seekTo(s.reader, host, afterFmt) || !findChunk(s.reader, host, "data", data)) return false;
    s.dataStart = data.contents;
    s.dataSize = data.size;
    s.readPos = s.dataStart;
    s.endPos = s.dataStart + s.dataSize;
    return true;
}

bool setUpUncompressed(WavState& s)
{
    const platform::AcmWaveFormat& w = s.format.wave;
    const bool isFloat = s.format.kind == SampleKind::Float;
    if (isFloat ? (w.bitsPerSample != 32 && w.bitsPerSample != 64) : (w.bitsPerSample % 8 != 0 || w.bitsPerSample > 32))
        return false;
    s.input = InputLayout{w.bitsPerSample / 8u, w.channels, w.blockAlign};
    // Frames must hold every sample that the conversion reads.
    if (s.input.blockAlign < s.output.channels * s.input.sampleBytes) return false;
    s.totalFrames = static_cast<uint32_t>(s.dataSize / w.blockAlign);
    s.isDirect = !isFloat && s.input.sampleBytes * 8 == s.output.bits && w.channels == s.output.channels &&
                 w.blockAlign == s.outBlock;
    return true;
}

bool setUpCompressed(WavState& s)
{
    if (!s.factCopy) return false;
    platform::AcmPcmFormat pcm;
    pcm.channels = static_cast<uint16_t>(s.output.channels);
    pcm.samplesPerSec = s.format.wave.samplesPerSec;
    pcm.bitsPerSample = static_cast<uint16_t>(s.output.bits);
    // The ADPCM layouts are decoded here and need no suggestion.
    AdpcmLayout adpcm;
    const platform::AcmWaveFormat& w = s.format.wave;
    if (!adpcmLayoutOf(w.formatTag, w.channels, w.blockAlign, w.bitsPerSample, adpcm)) {
        if (!platform::acmFormatSuggest(w, pcm)) return false;
        // The record promises the output format; a codec that would deliver
        // anything else is refused rather than played at the wrong speed.
        if (pcm.channels != s.output.channels || pcm.samplesPerSec != w.samplesPerSec ||
            pcm.bitsPerSample != s.output.bits)
            return false;
    }
    if (!s.codec.open(w, pcm)) return false;
    // A "fact" chunk that promises more than the data can hold is not
    // believed: hosts size their buffers by the total.
    const uint64_t bound = s.codec.framesBound(s.dataSize);
    s.totalFrames = static_cast<uint32_t>(std::min<uint64_t>(dw_get_le32(s.factCopy), bound));
    return true;
}

bool setUpFormat(WavState& s)
{
    auto parsed = parseWaveFormat(s.fmtCopy, s.fmtSize);
    if (!parsed) return false;
    s.format = *parsed;
    const platform::AcmWaveFormat& w = s.format.wave;
    // Compressed formats may leave bits per sample 0 (GSM 6.10 and MPEG
    // files usually do); their codec judges the format instead.
    if ((w.bitsPerSample == 0 && !isCompressed(s)) || w.channels == 0 || w.blockAlign == 0) return false;
    // Decoding works a block at a time through the input buffer.
    if (w.blockAlign > kPieceBytes) return false;
    s.output.channels = w.channels > 1 ? 2 : 1;
    s.output.bits = s.format.kind == SampleKind::Pcm && w.bitsPerSample == 8 ? 8 : 16;
    s.outBlock = s.output.channels * s.output.bits / 8;
    if (!(isCompressed(s) ? setUpCompressed(s) : setUpUncompressed(s))) return false;

    dw_format record{};
    record.channels = static_cast<uint8_t>(s.output.channels);
    record.sample_bytes = static_cast<uint8_t>(s.output.bits / 8);
    record.flags = kAllPositioning;
    record.version = DW_RECORD_CURRENT_VERSION;
    record.rate = w.samplesPerSec;
    record.frames = s.totalFrames;
    dw_format_write(s.record, &record);
    return true;
}

void releaseState(const dw_host* host, WavState* s)
{
    host->free(host, s->fmtCopy);
    host->free(host, s->factCopy);
    closeReader(s->reader, host);
    s->~WavState();
    host->free(host, s);
}

} // namespace

} // namespace qzwav

using namespace qzwav;

QZWAV_EXPORT uint8_t* dw_open(const dw_host* host, intptr_t /*mode*/, const char* file, intptr_t pcm,
                              intptr_t /*extra*/)
{
    if (!isUsableHost(host) || !file || pcm != 0) return nullptr;
    void* block = host->alloc(host, sizeof(WavState));
    if (!block) return nullptr;
    auto* s = new (block) WavState{};
    if (!openReader(s->reader, host, file) || !readChunks(*s, host) || !setUpFormat(*s)) {
        releaseState(host, s);
        return nullptr;
    }
    return s->record;
}

QZWAV_EXPORT void dw_close(const dw_host* host, uint8_t* handle)
{
    if (isUsableHost(host) && handle) releaseState(host, stateOf(handle));
}

// Audio compression manager: converts compressed WAVE sample data (any
// format tag libavcodec decodes) into signed 16-bit interleaved PCM.
//
// The calls mirror the few the WAVE decoder needs: suggest a PCM format,
// open a conversion stream, ask for an output size, convert, close.  One
// compressed block (the format's block align) is one codec packet; MPEG
// audio is split into frames by its parser.  The bytes after the 18-byte
// WAVE format header are the codec's extradata.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A parsed "fmt " chunk.  extra points into the caller's copy of the chunk
// and must outlive every stream opened with it.
struct AcmWaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0; // Hz
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0; // bytes of one compressed block
    uint16_t bitsPerSample = 0;
    const uint8_t* extra = nullptr;
    size_t extraSize = 0;
};

// Destination: always signed 16-bit PCM.
struct AcmPcmFormat {
    uint16_t channels = 0;      // 1 or 2
    uint32_t samplesPerSec = 0; // Hz
    uint16_t bitsPerSample = 16;
};

struct AcmStream;

// Fills dst with a PCM format the source can be converted to, keeping the
// fields the caller already set (non-zero) fixed.  False when no codec
// decodes the format tag.
bool acmFormatSuggest(const AcmWaveFormat& src, AcmPcmFormat& dst);

// Opens a conversion stream; null when the codec refuses the format.
// A source with more channels than dst keeps its first channels.
AcmStream* acmStreamOpen(const AcmWaveFormat& src, const AcmPcmFormat& dst);

// Upper estimate of the output bytes that converting srcBytes produces.
size_t acmStreamSize(const AcmStream* stream, size_t srcBytes);

// Converts src (whole blocks) and writes at most dstCapacity bytes of whole
// frames to dst; output that does not fit is held back for later calls.
// start marks a discontinuity (after a seek): codec state is reset first.
// A call with srcSize 0 marks the end of the input: whatever the parser or
// the resampler still holds is converted too.  Returns the bytes written.
size_t acmStreamConvert(AcmStream* stream, const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                        bool start);

// Writes up to dstCapacity bytes of held-back output; returns the count.
size_t acmStreamTakeOutput(AcmStream* stream, uint8_t* dst, size_t dstCapacity);

// True while output is held back or input awaits the end-of-input call.
bool acmStreamHasPending(const AcmStream* stream);

// Releases the stream; null is ignored.
void acmStreamClose(AcmStream* stream);

} // namespace platform

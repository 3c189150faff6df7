// The decoder's state: one block from the host, its first 20 bytes the
// format record handed out as the handle.
#pragma once

#include "compressed_codec.h"
#include "pcm_convert.h"
#include "qzdecoder.h"
#include "wav_reader.h"
#include "wave_format.h"

#include <cstddef>
#include <cstdint>

namespace qzwav {

constexpr size_t kPieceBytes = 32768; // input and output buffer size

struct WavState {
    uint8_t record[DW_RECORD_SIZE];
    WavReader reader;
    CompressedCodec codec;
    bool codecRestart;   // the next conversion follows a jump in the input
    uint64_t codecFrame; // output frame that the codec's next output starts at
    uint8_t* fmtCopy;
    size_t fmtSize;
    uint8_t* factCopy;
    WaveFormat format;
    InputLayout input;
    OutputLayout output;
    unsigned outBlock;  // bytes per output frame
    bool isDirect;      // input frames are output frames: read without conversion
    uint64_t dataStart; // absolute positions from here on
    uint64_t dataSize;
    uint64_t readPos;
    uint64_t endPos;
    uint64_t loopStart; // loopStart < loopEnd means a loop is set
    uint64_t loopEnd;
    bool isBroken; // a read inside the data failed
    size_t outFill;
    size_t outUsed;
    uint32_t totalFrames;
    uint8_t inBuffer[kPieceBytes];
    uint8_t outBuffer[kPieceBytes];
};

static_assert(offsetof(WavState, record) == 0, "the handle is the record's address");

inline WavState* stateOf(uint8_t* handle) { return reinterpret_cast<WavState*>(handle); }

inline bool hasLoop(const WavState& s) { return s.loopStart < s.loopEnd; }

inline bool isCompressed(const WavState& s) { return s.format.kind == SampleKind::Compressed; }

// The output frame where a block-aligned offset into the data starts:
// exact where the codec knows its block size, else proportional.
inline uint64_t frameAtOffset(const WavState& s, uint64_t offset)
{
    if (s.codec.isNative()) return s.codec.outputSize(static_cast<size_t>(offset)) / s.outBlock;
    return s.dataSize == 0 ? 0 : offset * s.totalFrames / s.dataSize;
}

// Compressed output has reached the frame count the file declares.
inline bool pastDeclaredEnd(const WavState& s) { return isCompressed(s) && s.codecFrame >= s.totalFrames; }

// Bytes of whole input blocks in the data chunk.
inline uint64_t wholeDataSize(const WavState& s) { return s.dataSize - s.dataSize % s.format.wave.blockAlign; }

} // namespace qzwav

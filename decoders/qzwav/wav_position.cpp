#include "qzwav_exports.h"
#include "wav_state.h"

#include <algorithm>

namespace qzwav {

namespace {

constexpr int kOk = 0;
constexpr int kApproximate = 1; // compressed data: byte offsets are estimates
constexpr int kRefused = 2;

// Frames beyond the total (or with a high part) mean the total.
uint64_t clampFrame(const WavState& s, uint32_t low, uint32_t high)
{
    return high != 0 || low >= s.totalFrames ? s.totalFrames : low;
}

// Byte offset into the data of a frame, before block rounding.  A file of
// 0 frames has only the offset 0.
uint64_t offsetOf(const WavState& s, uint64_t frame)
{
    return s.totalFrames == 0 ? 0 : frame * s.dataSize / s.totalFrames;
}

uint64_t roundDown(const WavState& s, uint64_t offset) { return offset - offset % s.format.wave.blockAlign; }

int positionedResult(const WavState& s) { return isCompressed(s) ? kApproximate : kOk; }

} // namespace

} // namespace qzwav

using namespace qzwav;

QZWAV_EXPORT uint64_t dw_getpos(const dw_host* /*host*/, uint8_t* handle)
{
    if (!handle) return 0;
    const WavState& s = *stateOf(handle);
    if (s.dataSize == 0) return 0;
    uint64_t consumed = std::min(s.readPos - s.dataStart, s.dataSize);
    return consumed * s.totalFrames / s.dataSize;
}

QZWAV_EXPORT int dw_setpos(const dw_host* /*host*/, uint8_t* handle, uint32_t frame_low, uint32_t frame_high)
{
    if (!handle) return kRefused;
    WavState& s = *stateOf(handle);
    uint64_t frame = clampFrame(s, frame_low, frame_high);
    s.readPos = s.dataStart + roundDown(s, offsetOf(s, frame));
    s.codecRestart = true;
    s.codecFrame = frameAtOffset(s, s.readPos - s.dataStart);
    return positionedResult(s);
}

QZWAV_EXPORT int dw_setend(const dw_host* /*host*/, uint8_t* handle, uint32_t frame_low, uint32_t frame_high)
{
    if (!handle) return kRefused;
    WavState& s = *stateOf(handle);
    uint64_t frame = clampFrame(s, frame_low, frame_high);
    bool isWhole = frame_low == 0 && frame_high == 0;
    s.endPos = s.dataStart + roundDown(s, isWhole || frame == s.totalFrames ? s.dataSize : offsetOf(s, frame));
    return positionedResult(s);
}

QZWAV_EXPORT int dw_setloop(const dw_host* /*host*/, uint8_t* handle, uint32_t start_low, uint32_t start_high,
                            uint32_t end_low, uint32_t end_high)
{
    if (!handle) return kRefused;
    WavState& s = *stateOf(handle);
    if (start_low == 0 && start_high == 0 && end_low == 0 && end_high == 0) {
        s.loopStart = s.loopEnd = 0;
        return kOk;
    }
    const uint64_t block = s.format.wave.blockAlign;
    uint64_t startOffset = roundDown(s, offsetOf(s, clampFrame(s, start_low, start_high)));
    uint64_t endOffset = offsetOf(s, clampFrame(s, end_low, end_high));
    endOffset = (endOffset + block - 1) / block * block;
    // Rounding up must not reach into a partial block or past the data.
    endOffset = std::min(endOffset, wholeDataSize(s));
    if (startOffset >= endOffset) return kRefused;
    s.loopStart = s.dataStart + startOffset;
    s.loopEnd = s.dataStart + endOffset;
    return positionedResult(s);
}

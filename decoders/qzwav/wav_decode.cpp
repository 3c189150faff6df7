#include "qzwav_exports.h"
#include "wav_state.h"

#include <algorithm>
#include <cstring>

namespace qzwav {

namespace {

// A compressed refill reads on until the codec yields output; corrupt data
// that never does must not keep a looping stream inside one call forever.
constexpr int kMaxSilentPieces = 64;

// Bytes of input for the next refill: whole blocks, at most one piece, and
// no more than the output buffer can take once converted.
size_t nextInputSize(WavState& s)
{
    uint64_t available;
    if (hasLoop(s)) {
        if (s.readPos >= s.loopEnd) {
            s.readPos = s.loopStart;
            s.codecRestart = true;
            s.codecFrame = frameAtOffset(s, s.loopStart - s.dataStart);
        }
        available = s.loopEnd - s.readPos;
    } else {
        available = s.endPos > s.readPos ? s.endPos - s.readPos : 0;
    }
    const size_t block = s.format.wave.blockAlign;
    size_t take = static_cast<size_t>(std::min<uint64_t>(available, kPieceBytes));
    take -= take % block;
    // The tail of compressed data shorter than a block (which fits the
    // input buffer) still goes to the codec: MPEG frames vary in size, so
    // the last frame rarely ends on a block boundary.
    if (take == 0 && isCompressed(s) && !hasLoop(s) && available < block) return static_cast<size_t>(available);
    while (take > block) {
        size_t outSize = isCompressed(s) ? s.codec.outputSize(take) : take / block * s.outBlock;
        if (outSize <= kPieceBytes) break;
        take /= 2;
        take -= take % block;
    }
    // A single compressed block larger than the buffer still goes through:
    // the codec keeps what does not fit for the next call.
    return take < block ? 0 : take;
}

// The file no longer delivers what its chunks promised: end the stream
// instead of letting the host wait for data that never comes.
size_t markBroken(WavState& s)
{
    s.isBroken = true;
    return 0;
}

size_t refillUncompressed(WavState& s, const dw_host* host, size_t take)
{
    if (s.isDirect) {
        if (!readExact(s.reader, host, s.outBuffer, take)) return markBroken(s);
        s.readPos += take;
        return take;
    }
    if (!readExact(s.reader, host, s.inBuffer, take)) return markBroken(s);
    s.readPos += take;
    size_t frames = take / s.format.wave.blockAlign;
    if (s.format.kind == SampleKind::Pcm) return convertPcm(s.inBuffer, frames, s.input, s.output, s.outBuffer);
    return convertFloat(s.inBuffer, frames, s.input, s.output, s.outBuffer);
}

// Codecs may decode past the frame count the file declares (padding of
// the last frame or block): output beyond it is dropped.
size_t withinDeclared(WavState& s, size_t produced)
{
    const uint64_t frames = produced / s.outBlock;
    const uint64_t room = s.codecFrame < s.totalFrames ? s.totalFrames - s.codecFrame : 0;
    s.codecFrame += frames;
    return static_cast<size_t>(std::min(frames, room)) * s.outBlock;
}

size_t refillCompressed(WavState& s, const dw_host* host)
{
    // Output held back from the last conversion goes first, so the codec
    // never runs further ahead than one piece.
    if (size_t held = withinDeclared(s, s.codec.takeOutput(s.outBuffer, kPieceBytes))) return held;
    for (int piece = 0; piece < kMaxSilentPieces; ++piece) {
        if (pastDeclaredEnd(s)) {
            if (!hasLoop(s)) return 0;
            s.readPos = s.loopEnd; // the rest of the loop is padding: wrap now
        }
        size_t take = nextInputSize(s);
        if (take == 0) {
            // End of input: hand out what the codec still holds.
            return withinDeclared(s, s.codec.convert(nullptr, 0, s.outBuffer, kPieceBytes, false));
        }
        if (!seekTo(s.reader, host, s.readPos) || !readExact(s.reader, host, s.inBuffer, take)) return markBroken(s);
        s.readPos += take;
        bool start = s.codecRestart;
        s.codecRestart = false;
        size_t produced = withinDeclared(s, s.codec.convert(s.inBuffer, take, s.outBuffer, kPieceBytes, start));
        if (produced > 0) return produced;
    }
    return 0;
}

size_t refill(WavState& s, const dw_host* host)
{
    if (isCompressed(s)) return refillCompressed(s, host);
    size_t take = nextInputSize(s);
    if (take == 0) return 0;
    if (!seekTo(s.reader, host, s.readPos)) return markBroken(s);
    return refillUncompressed(s, host, take);
}

} // namespace

} // namespace qzwav

using namespace qzwav;

QZWAV_EXPORT size_t dw_decode(const dw_host* host, uint8_t* handle, void* buffer, size_t length)
{
    if (!isUsableHost(host) || !handle || !buffer || length == 0) return 0;
    WavState& s = *stateOf(handle);
    length -= length % s.outBlock;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t copied = 0;
    while (copied < length) {
        if (s.outUsed >= s.outFill) {
            s.outUsed = s.outFill = 0;
            s.outFill = refill(s, host);
            if (s.outFill == 0) break;
        }
        size_t n = std::min(length - copied, s.outFill - s.outUsed);
        std::memcpy(out + copied, s.outBuffer + s.outUsed, n);
        s.outUsed += n;
        copied += n;
    }
    if (s.outUsed >= s.outFill) s.outUsed = s.outFill = 0;
    return copied;
}

QZWAV_EXPORT int dw_isend(const dw_host* /*host*/, uint8_t* handle)
{
    if (!handle) return 1;
    const WavState& s = *stateOf(handle);
    if (s.isBroken) return s.outUsed >= s.outFill;
    if (s.outUsed < s.outFill || hasLoop(s)) return 0;
    if (isCompressed(s)) {
        if (pastDeclaredEnd(s)) return 1;
        if (s.codec.hasPending()) return 0;
    }
    // Less than one whole block left can never be decoded: that is the end.
    return s.readPos >= s.endPos || s.endPos - s.readPos < s.format.wave.blockAlign;
}

#include "compressed_codec.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qzwav {

namespace {

constexpr unsigned kSampleBytes = 2;
// Rates beyond any real recording are refused, as by the other codecs.
constexpr uint32_t kMaxRate = 384000;

// Samples are little-endian; on a little-endian host a copy is the write.
void putSamples(const int16_t* samples, size_t count, uint8_t* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, samples, count * sizeof(int16_t));
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const auto v = static_cast<uint16_t>(samples[i]);
        out[2 * i] = static_cast<uint8_t>(v);
        out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
}

} // namespace

bool CompressedCodec::open(const platform::AcmWaveFormat& wave, const platform::AcmPcmFormat& pcm)
{
    close();
    frameBytes_ = pcm.channels * kSampleBytes;
    blockAlign_ = wave.blockAlign;
    if (adpcmLayoutOf(wave.formatTag, wave.channels, wave.blockAlign, wave.bitsPerSample, layout_) &&
        pcm.channels == wave.channels && pcm.bitsPerSample == 16) {
        if (wave.samplesPerSec == 0 || wave.samplesPerSec > kMaxRate) return false;
        isNative_ = true;
        blockSamples_.resize(adpcmFramesIn(layout_, layout_.blockAlign) * layout_.channels);
        return true;
    }
    acm_ = platform::acmStreamOpen(wave, pcm);
    return acm_ != nullptr;
}

void CompressedCodec::close()
{
    platform::acmStreamClose(acm_);
    acm_ = nullptr;
    isNative_ = false;
    pending_.clear();
    pendingUsed_ = 0;
}

size_t CompressedCodec::outputSize(size_t srcBytes) const
{
    if (!isNative_) return platform::acmStreamSize(acm_, srcBytes);
    const size_t blocks = srcBytes / layout_.blockAlign;
    const size_t rest = srcBytes % layout_.blockAlign;
    return (blocks * adpcmFramesIn(layout_, layout_.blockAlign) + adpcmFramesIn(layout_, rest)) * frameBytes_;
}

uint64_t CompressedCodec::framesBound(uint64_t dataBytes) const
{
    if (isNative_) return outputSize(static_cast<size_t>(dataBytes)) / frameBytes_;
    // A cut last block may still give frames: it counts as a whole one.
    return platform::acmStreamSize(acm_, static_cast<size_t>(dataBytes + blockAlign_)) / frameBytes_;
}

size_t CompressedCodec::convertNative(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity)
{
    size_t written = 0;
    for (size_t at = 0; at < srcSize; at += layout_.blockAlign) {
        const size_t bytes = std::min<size_t>(layout_.blockAlign, srcSize - at);
        const size_t frames = decodeAdpcmBlock(layout_, src + at, bytes, blockSamples_.data());
        const size_t outBytes = frames * frameBytes_;
        if (pending_.empty() && written + outBytes <= dstCapacity) {
            putSamples(blockSamples_.data(), frames * layout_.channels, dst + written);
            written += outBytes;
        } else {
            const size_t start = pending_.size();
            pending_.resize(start + outBytes);
            putSamples(blockSamples_.data(), frames * layout_.channels, pending_.data() + start);
        }
    }
    return written + takeOutput(dst + written, dstCapacity - written);
}

size_t CompressedCodec::convert(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity, bool start)
{
    if (!isNative_) return platform::acmStreamConvert(acm_, src, srcSize, dst, dstCapacity, start);
    if (!dst) return 0;
    // Blocks stand alone: a jump needs no reset, and the end no flush.
    return src ? convertNative(src, srcSize, dst, dstCapacity) : takeOutput(dst, dstCapacity);
}

size_t CompressedCodec::takeOutput(uint8_t* dst, size_t dstCapacity)
{
    if (!isNative_) return platform::acmStreamTakeOutput(acm_, dst, dstCapacity);
    if (!dst) return 0;
    const size_t n = std::min(pending_.size() - pendingUsed_, dstCapacity - dstCapacity % frameBytes_);
    if (n > 0) std::memcpy(dst, pending_.data() + pendingUsed_, n);
    pendingUsed_ += n;
    if (pendingUsed_ == pending_.size()) {
        pending_.clear();
        pendingUsed_ = 0;
    }
    return n;
}

bool CompressedCodec::hasPending() const
{
    return isNative_ ? pendingUsed_ < pending_.size() : platform::acmStreamHasPending(acm_);
}

} // namespace qzwav

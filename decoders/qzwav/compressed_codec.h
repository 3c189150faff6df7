// The converter of compressed sample data: the two ADPCM layouts decode
// here, every other format through the platform's compression manager.
// Both sides keep the manager's contract: whole blocks in (a shorter last
// block at the end of the data), whole output frames out, output that does
// not fit held back for the next call.
#pragma once

#include "adpcm_blocks.h"

#include "platform/codec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qzwav {

class CompressedCodec {
public:
    CompressedCodec() = default;
    CompressedCodec(const CompressedCodec&) = delete;
    CompressedCodec& operator=(const CompressedCodec&) = delete;
    ~CompressedCodec() { close(); }

    // Opens a converter from wave to pcm, which the caller has filled with
    // the output it needs.  False when no converter takes the format.
    bool open(const platform::AcmWaveFormat& wave, const platform::AcmPcmFormat& pcm);
    void close();
    bool isOpen() const { return isNative_ || acm_ != nullptr; }
    bool isNative() const { return isNative_; }

    // Upper estimate of the output bytes of srcBytes of input.
    size_t outputSize(size_t srcBytes) const;
    // Upper bound of the output frames a data chunk of dataBytes can give.
    uint64_t framesBound(uint64_t dataBytes) const;
    size_t convert(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity, bool start);
    size_t takeOutput(uint8_t* dst, size_t dstCapacity);
    bool hasPending() const;

private:
    size_t convertNative(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity);

    platform::AcmStream* acm_ = nullptr;
    bool isNative_ = false;
    AdpcmLayout layout_;
    unsigned frameBytes_ = 0;
    unsigned blockAlign_ = 0;
    std::vector<int16_t> blockSamples_;
    std::vector<uint8_t> pending_;
    size_t pendingUsed_ = 0;
};

} // namespace qzwav

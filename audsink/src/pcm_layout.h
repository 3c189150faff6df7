// The PCM layout of a decoder's format record and the layouts we play.
#pragma once

#include "conversions.h"
#include "qzdecoder.h"

namespace audsink {

struct PcmLayout {
    uint32_t channels = 0;
    uint32_t sampleBytes = 0;
    uint32_t rate = 0;
    uint32_t frames = 0;

    uint32_t blockBytes() const { return channels * sampleBytes; }
    // 1 or 2 channels of 8-bit unsigned or 16-bit signed samples, 100 to
    // 100000 Hz.
    bool isPlayable() const
    {
        return channels >= 1 && channels <= 2 && sampleBytes >= 1 && sampleBytes <= 2 && rate >= kMinRate &&
               rate <= kMaxRate;
    }
    uint8_t silence() const { return sampleBytes == 1 ? 0x80 : 0; }
};

inline PcmLayout readLayout(const uint8_t* record)
{
    const dw_format f = dw_format_read(record);
    return {f.channels, f.sample_bytes, f.rate, f.frames};
}

} // namespace audsink

// Sample-rate conversion of one voice (speexdsp's resampler).
#pragma once

#include <cstdint>

struct SpeexResamplerState_;

namespace platform::audio {

class Resampler {
public:
    explicit Resampler(uint32_t channels);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    void setRates(uint32_t inputRate, uint32_t outputRate);
    // Forgets the history, for a jump in the input.
    void restart();
    // Interleaved frames; on return inputFrames holds how many were taken
    // and outputFrames how many were made.
    void process(const float* input, uint32_t& inputFrames, float* output, uint32_t& outputFrames);

private:
    SpeexResamplerState_* state_;
    uint32_t inputRate_ = 0;
    uint32_t outputRate_ = 0;
};

} // namespace platform::audio

// Sample-rate conversion of one voice (speexdsp's resampler).
#pragma once

#include <cstdint>
#include <vector>

struct SpeexResamplerState_;

namespace platform::audio {

class Resampler {
public:
    explicit Resampler(uint32_t channels);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    void setRates(uint32_t inputRate, uint32_t outputRate);
    // Input frames the filter reaches back: what restartAfter wants.
    uint32_t historyFrames() const;
    // Starts afresh at the input that follows history (interleaved frames
    // just before it, possibly fewer than historyFrames): the first output
    // is that input frame exactly, with the filter already full of the
    // sound before it, so output moves from unconverted to converted
    // without a step.
    void restartAfter(const float* history, uint32_t frames);
    // Interleaved frames; on return inputFrames holds how many were taken
    // and outputFrames how many were made.
    void process(const float* input, uint32_t& inputFrames, float* output, uint32_t& outputFrames);

private:
    // exact: one to one means exactly that (only while priming, from whole
    // input frames).
    void applyRates(uint32_t inputRate, uint32_t outputRate, bool exact);
    // Runs the filter over input, dropping up to skipFrames_ outputs.
    uint32_t skip(const float* input, uint32_t inputFrames);

    SpeexResamplerState_* state_;
    uint32_t channels_;
    uint32_t inputRate_ = 0; // the rates the filter runs at
    uint32_t outputRate_ = 0;
    bool isExact_ = true;
    uint32_t wantedInputRate_ = 0; // the rates asked for, once skipping ends
    uint32_t wantedOutputRate_ = 0;
    // Outputs that repeat the history after restartAfter: dropped, made at
    // one to one so that each stands for one input frame.
    uint32_t skipFrames_ = 0;
    std::vector<float> scratch_;
};

} // namespace platform::audio

// Sample-rate conversion of one voice: a windowed-sinc filter whose weights
// come from a table shared with every voice converting at a like ratio.
#pragma once

#include "sinc_table.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::audio {

class Resampler {
public:
    // channels: 1 or 2.
    explicit Resampler(uint32_t channels);

    // Rates above 0; cheap when they do not change.
    void setRates(uint32_t inputRate, uint32_t outputRate);
    // Input frames the filter reaches back: what restartAfter wants.
    uint32_t historyFrames() const { return table_->taps() / 2 - 1; }
    // Starts afresh at the input that follows history (interleaved frames
    // just before it, possibly fewer than historyFrames): the first output
    // stands at that input frame, with the filter already full of the sound
    // before it, so output moves from unconverted to converted without a
    // step.
    void restartAfter(const float* history, uint32_t frames);
    // Interleaved frames; on return inputFrames holds how many were taken
    // and outputFrames how many were made.  Input is taken only as far as
    // the outputs asked for need it.
    void process(const float* input, uint32_t& inputFrames, float* output, uint32_t& outputFrames);

private:
    // Frames kept before the cursor, for the widest filter.
    static constexpr uint32_t kReach = SincTable::kMaxTaps / 2;
    // Input held per channel: the reach on both sides and room for a few
    // blocks, small since every buffer has a resampler.
    static constexpr uint32_t kCapacity = 1024;

    float* plane(uint32_t channel) { return planes_.data() + std::size_t{channel} * kCapacity; }
    // Takes as much input as outputs more outputs need; returns the frames
    // taken.
    uint32_t take(const float* input, uint32_t frames, uint32_t outputs);
    // Makes up to frames outputs from the input held; returns how many.
    uint32_t convert(float* output, uint32_t frames);

    uint32_t channels_;
    uint32_t inputRate_ = 0;
    uint32_t outputRate_ = 0;
    // One output moves the cursor by wholeStep_ + fractionStep_ / outputRate_
    // input frames.
    uint32_t wholeStep_ = 1;
    uint32_t fractionStep_ = 0;
    std::shared_ptr<const SincTable> table_;
    // The input held, one plane of kCapacity frames per channel: frames
    // 0 .. filled_, the next output at next_ + fraction_ / outputRate_.
    std::vector<float> planes_;
    uint32_t filled_ = 0;
    uint32_t next_ = 0;
    uint32_t fraction_ = 0;
};

} // namespace platform::audio

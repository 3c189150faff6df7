// The interpolation filter of the resampler: a Kaiser-windowed sinc sampled
// at many phases between two input frames, one table per conversion ratio
// class, shared by every voice converting at a ratio of that class.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::audio {

class SincTable {
public:
    // Taps are a multiple of this, so the dot products run in whole lanes.
    static constexpr uint32_t kLanes = 8;
    // The widest filter (a voice played far above the output rate).
    static constexpr uint32_t kMaxTaps = 256;

    // cutoff: the pass band's edge as a fraction of the input's Nyquist
    // frequency (0 .. 1); taps a multiple of kLanes; phases at least 1.
    SincTable(uint32_t taps, uint32_t phases, double cutoff);

    uint32_t taps() const { return taps_; }
    uint32_t phases() const { return phases_; }

    // Row phase (0 .. phases) holds the weights of input frames
    // i - taps/2 + 1 .. i + taps/2 for an output at i + phase / phases;
    // row phases equals row 0 moved one frame on.
    const float* row(uint32_t phase) const { return weights_.data() + std::size_t{phase} * taps_; }

private:
    uint32_t taps_;
    uint32_t phases_;
    std::vector<float> weights_;
};

// The table for converting inputRate to outputRate (both above 0): every
// upward conversion shares one; a downward one lowers the cutoff below the
// output's Nyquist frequency and widens the filter in steps of 1/32 octave
// of the ratio.  Built on first use, kept for the process.
std::shared_ptr<const SincTable> sincTableFor(uint32_t inputRate, uint32_t outputRate);

} // namespace platform::audio

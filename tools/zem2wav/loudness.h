// Loudness of a render (EBU R128 integrated loudness and true peak, through
// libebur128) and the gain that brings it to a chosen loudness.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zem2wav {

// A render may be made louder only as far as its true peak stays here.
inline constexpr double kMaxTruePeakDbtp = -1.0;

struct Loudness {
    double integratedLufs; // -infinity for silence
    double truePeakDbtp;   // -infinity for silence
};

class LoudnessMeter {
public:
    LoudnessMeter();
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Interleaved left/right 16-bit frames at 44100 Hz.
    void add(const int16_t* stereo, size_t frames);
    Loudness result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The gain in dB that brings measured to targetLufs, lowered where the true
// peak would pass kMaxTruePeakDbtp.  0 for silence.
double loudnessGainDb(const Loudness& measured, double targetLufs);

// Multiplies every sample by gainDb, rounding to the nearest value and
// keeping within the 16-bit range.
void applyGain(int16_t* samples, size_t count, double gainDb);

} // namespace zem2wav

#include "loudness.h"

#include "platform/midi_synth.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace zem2wav {

struct LoudnessMeter::State {
    ebur128_state* meter = ebur128_init(2, platform::kSynthSampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    ~State() { ebur128_destroy(&meter); }
};

LoudnessMeter::LoudnessMeter() : state_(std::make_unique<State>())
{
    if (!state_->meter) throw std::bad_alloc();
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::add(const int16_t* stereo, size_t frames)
{
    if (frames > 0 && ebur128_add_frames_short(state_->meter, stereo, frames) != EBUR128_SUCCESS)
        throw std::bad_alloc();
}

Loudness LoudnessMeter::result() const
{
    double integrated = -HUGE_VAL;
    if (ebur128_loudness_global(state_->meter, &integrated) != EBUR128_SUCCESS) integrated = -HUGE_VAL;
    double peak = 0;
    for (unsigned channel = 0; channel < 2; ++channel) {
        double channelPeak = 0;
        if (ebur128_true_peak(state_->meter, channel, &channelPeak) == EBUR128_SUCCESS)
            peak = std::max(peak, channelPeak);
    }
    return {integrated, peak > 0 ? 20 * std::log10(peak) : -HUGE_VAL};
}

double loudnessGainDb(const Loudness& measured, double targetLufs)
{
    if (!std::isfinite(measured.integratedLufs)) return 0;
    const double gain = targetLufs - measured.integratedLufs;
    if (std::isfinite(measured.truePeakDbtp)) return std::min(gain, kMaxTruePeakDbtp - measured.truePeakDbtp);
    return gain;
}

void applyGain(int16_t* samples, size_t count, double gainDb)
{
    const double factor = std::pow(10.0, gainDb / 20);
    for (size_t i = 0; i < count; ++i) {
        const double scaled = std::nearbyint(samples[i] * factor);
        samples[i] = static_cast<int16_t>(std::clamp(scaled, double{std::numeric_limits<int16_t>::min()},
                                                     double{std::numeric_limits<int16_t>::max()}));
    }
}

} // namespace zem2wav

#include "resampler.h"

#include <speex/speex_resampler.h>

#include <cstddef>
#include <new>

namespace platform::audio {

namespace {

// Quality 3: a tone comes out about 100 dB clean and aliases about 85 dB
// down; quality 4 costs a third more for nothing audible.
constexpr int kQuality = 3;
constexpr uint32_t kInitialRate = 44100;
// The resampler reduces its ratio, and at exactly one to one it has no
// fraction left to hold where between two input frames it stands: a voice
// bent back to its own rate would jump by that fraction.  It runs at this
// ratio just below one instead (30 millionths slow, far below any
// audible pitch change; a larger denominator overflows the resampler's
// conversion of its fraction).
constexpr uint32_t kNearUnity = 1u << 15;

} // namespace

Resampler::Resampler(uint32_t channels) : channels_(channels)
{
    int error = 0;
    state_ = speex_resampler_init(channels, kInitialRate, kInitialRate, kQuality, &error);
    if (!state_) throw std::bad_alloc();
    inputRate_ = outputRate_ = wantedInputRate_ = wantedOutputRate_ = kInitialRate;
    isExact_ = true;
    speex_resampler_skip_zeros(state_);
}

Resampler::~Resampler() { speex_resampler_destroy(state_); }

void Resampler::applyRates(uint32_t inputRate, uint32_t outputRate, bool exact)
{
    if (inputRate == inputRate_ && outputRate == outputRate_ && exact == isExact_) return;
    if (inputRate == outputRate && !exact)
        speex_resampler_set_rate_frac(state_, kNearUnity - 1, kNearUnity, inputRate, outputRate);
    else
        speex_resampler_set_rate(state_, inputRate, outputRate);
    inputRate_ = inputRate;
    outputRate_ = outputRate;
    isExact_ = exact;
}

void Resampler::setRates(uint32_t inputRate, uint32_t outputRate)
{
    wantedInputRate_ = inputRate;
    wantedOutputRate_ = outputRate;
    if (skipFrames_ == 0) applyRates(inputRate, outputRate, false);
}

uint32_t Resampler::historyFrames() const { return static_cast<uint32_t>(speex_resampler_get_input_latency(state_)); }

uint32_t Resampler::skip(const float* input, uint32_t inputFrames)
{
    spx_uint32_t in = inputFrames;
    spx_uint32_t out = skipFrames_;
    scratch_.resize(std::size_t{out} * channels_);
    speex_resampler_process_interleaved_float(state_, input, &in, scratch_.data(), &out);
    skipFrames_ -= out;
    if (skipFrames_ == 0) applyRates(wantedInputRate_, wantedOutputRate_, false);
    return in;
}

void Resampler::restartAfter(const float* history, uint32_t frames)
{
    // One to one first: the filter's reach and its start depend on the rate.
    applyRates(wantedOutputRate_, wantedOutputRate_, true);
    speex_resampler_reset_mem(state_);
    // Without this the output would start with the filter's delay of silence.
    speex_resampler_skip_zeros(state_);
    skipFrames_ = frames;
    if (frames > 0)
        skip(history, frames);
    else
        applyRates(wantedInputRate_, wantedOutputRate_, false);
}

void Resampler::process(const float* input, uint32_t& inputFrames, float* output, uint32_t& outputFrames)
{
    uint32_t taken = 0;
    if (skipFrames_ > 0) {
        taken = skip(input, inputFrames);
        if (skipFrames_ > 0) {
            inputFrames = taken;
            outputFrames = 0;
            return;
        }
    }
    spx_uint32_t in = inputFrames - taken;
    spx_uint32_t out = outputFrames;
    speex_resampler_process_interleaved_float(state_, input + std::size_t{taken} * channels_, &in, output, &out);
    inputFrames = taken + in;
    outputFrames = out;
}

} // namespace platform::audio

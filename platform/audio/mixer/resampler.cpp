#include "resampler.h"

#include <algorithm>
#include <cstring>

namespace platform::audio {

namespace {

constexpr uint32_t kInitialRate = 44100;
constexpr uint32_t kLanes = SincTable::kLanes;
static_assert(kLanes == 8, "the lanes are summed as a tree of eight");

// Where the next output stands and how far each output moves it.
struct Cursor {
    uint32_t next;     // the input frame at or before the output
    uint32_t fraction; // and how far after it, in 1/outputRate
};
struct Step {
    uint32_t whole;
    uint32_t fraction;
    uint32_t outputRate;
};

// kLanes floats, one vector register wide (or two on older machines).
using Lanes = float [[gnu::vector_size(kLanes * sizeof(float))]];

// Unaligned: rows and frames start anywhere.  (Filled through a reference:
// a vector return value would differ between the builds for each machine.)
[[gnu::always_inline]] inline void load(Lanes& lanes, const float* from) { std::memcpy(&lanes, from, sizeof lanes); }

// Makes up to frames outputs while the filter's reach stays below end.
// The weights between two table rows are interpolated as they are used;
// the sums run in kLanes separate lanes, added up in a fixed order at the
// end.
template <uint32_t kChannels>
[[gnu::always_inline]] inline uint32_t filterFrames(const SincTable& table, const float* planes, uint32_t planeSize,
                                                    Cursor& at, const Step& step, uint32_t end, float* output,
                                                    uint32_t frames)
{
    const uint32_t taps = table.taps();
    const uint32_t half = taps / 2;
    const float toPhase = float(table.phases()) / float(step.outputRate);
    uint32_t made = 0;
    while (made < frames && at.next + half < end) {
        const float place = float(at.fraction) * toPhase;
        const uint32_t phase = std::min(static_cast<uint32_t>(place), table.phases() - 1);
        const float between = place - float(phase);
        const float* before = table.row(phase);
        const float* after = table.row(phase + 1);
        const float* first = planes + (at.next + 1 - half);
        Lanes sums[kChannels] = {};
        for (uint32_t k = 0; k < taps; k += kLanes) {
            Lanes low;
            Lanes high;
            load(low, before + k);
            load(high, after + k);
            const Lanes weight = low + between * (high - low);
            for (uint32_t c = 0; c < kChannels; ++c) {
                Lanes input;
                load(input, first + c * planeSize + k);
                sums[c] += weight * input;
            }
        }
        for (uint32_t c = 0; c < kChannels; ++c) {
            const Lanes& l = sums[c];
            output[made * kChannels + c] = ((l[0] + l[4]) + (l[1] + l[5])) + ((l[2] + l[6]) + (l[3] + l[7]));
        }
        ++made;
        at.next += step.whole;
        at.fraction += step.fraction;
        if (at.fraction >= step.outputRate) {
            at.fraction -= step.outputRate;
            ++at.next;
        }
    }
    return made;
}

// Built for this machine's widest vectors, picked when the program loads.
#if defined(__x86_64__)
#define ZEM_VECTOR_CLONES [[gnu::target_clones("arch=x86-64-v3", "default")]]
#else
#define ZEM_VECTOR_CLONES
#endif

ZEM_VECTOR_CLONES uint32_t filterMono(const SincTable& table, const float* planes, uint32_t planeSize, Cursor& at,
                                      const Step& step, uint32_t end, float* output, uint32_t frames)
{
    return filterFrames<1>(table, planes, planeSize, at, step, end, output, frames);
}

ZEM_VECTOR_CLONES uint32_t filterStereo(const SincTable& table, const float* planes, uint32_t planeSize, Cursor& at,
                                        const Step& step, uint32_t end, float* output, uint32_t frames)
{
    return filterFrames<2>(table, planes, planeSize, at, step, end, output, frames);
}

} // namespace

Resampler::Resampler(uint32_t channels) : channels_(channels), planes_(std::size_t{channels} * kCapacity)
{
    setRates(kInitialRate, kInitialRate);
    restartAfter(nullptr, 0);
}

void Resampler::setRates(uint32_t inputRate, uint32_t outputRate)
{
    if (inputRate == inputRate_ && outputRate == outputRate_) return;
    // Keep the place between two input frames across a change of output rate.
    if (outputRate_ != 0) fraction_ = static_cast<uint32_t>(uint64_t{fraction_} * outputRate / outputRate_);
    inputRate_ = inputRate;
    outputRate_ = outputRate;
    wholeStep_ = inputRate / outputRate;
    fractionStep_ = inputRate % outputRate;
    table_ = sincTableFor(inputRate, outputRate);
}

void Resampler::restartAfter(const float* history, uint32_t frames)
{
    // Silence before whatever history there is.
    frames = std::min(frames, kReach);
    for (uint32_t c = 0; c < channels_; ++c) {
        float* into = plane(c);
        std::fill_n(into, kReach - frames, 0.0f);
        for (uint32_t i = 0; i < frames; ++i) into[kReach - frames + i] = history[std::size_t{i} * channels_ + c];
    }
    filled_ = next_ = kReach;
    fraction_ = 0;
}

uint32_t Resampler::take(const float* input, uint32_t frames, uint32_t outputs)
{
    // The input frame the last of those outputs stands at, and the filter's
    // reach after it.
    const uint64_t last = next_ + (fraction_ + uint64_t{outputs - 1} * inputRate_) / outputRate_;
    const uint64_t end = last + table_->taps() / 2 + 1;
    if (end <= filled_) return 0;
    uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(frames, end - filled_));
    if (filled_ + count > kCapacity) {
        // Move what the filter still reaches to the front.
        const uint32_t from = next_ - kReach;
        for (uint32_t c = 0; c < channels_; ++c)
            std::memmove(plane(c), plane(c) + from, (filled_ - from) * sizeof(float));
        filled_ -= from;
        next_ = kReach;
        count = std::min(count, kCapacity - filled_);
    }
    for (uint32_t c = 0; c < channels_; ++c) {
        float* into = plane(c) + filled_;
        for (uint32_t i = 0; i < count; ++i) into[i] = input[std::size_t{i} * channels_ + c];
    }
    filled_ += count;
    return count;
}

uint32_t Resampler::convert(float* output, uint32_t frames)
{
    Cursor at{next_, fraction_};
    const Step step{wholeStep_, fractionStep_, outputRate_};
    const uint32_t made = channels_ == 1
                              ? filterMono(*table_, planes_.data(), kCapacity, at, step, filled_, output, frames)
                              : filterStereo(*table_, planes_.data(), kCapacity, at, step, filled_, output, frames);
    next_ = at.next;
    fraction_ = at.fraction;
    return made;
}

void Resampler::process(const float* input, uint32_t& inputFrames, float* output, uint32_t& outputFrames)
{
    uint32_t taken = 0;
    uint32_t made = convert(output, outputFrames);
    while (made < outputFrames && taken < inputFrames) {
        const uint32_t more = take(input + std::size_t{taken} * channels_, inputFrames - taken, outputFrames - made);
        if (more == 0) break;
        taken += more;
        made += convert(output + std::size_t{made} * channels_, outputFrames - made);
    }
    inputFrames = taken;
    outputFrames = made;
}

} // namespace platform::audio

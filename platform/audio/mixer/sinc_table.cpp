#include "sinc_table.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>

namespace platform::audio {

namespace {

// 48 taps with this window and cutoff keep a tone about 100 dB clean and
// hold images and aliases about 90 dB down, for a quarter of the work of
// the general-purpose resampler this replaces.
constexpr uint32_t kTaps = 48;
constexpr double kCutoff = 0.89;
constexpr double kKaiserBeta = 9.0;
// Weights for phases in between are interpolated linearly from the two
// nearest rows: 512 rows leave that error below the filter's own.
constexpr uint32_t kPhases = 512;
// Downward ratios are grouped in steps of 1/32 octave.
constexpr double kRatioSteps = 32;

// The modified Bessel function of order 0, by its power series.
double besselI0(double x)
{
    double sum = 1;
    double term = 1;
    for (int k = 1; term > 1e-12 * sum; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

double sinc(double x) { return x == 0 ? 1 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x); }

} // namespace

SincTable::SincTable(uint32_t taps, uint32_t phases, double cutoff)
    : taps_(taps), phases_(phases), weights_(std::size_t{phases + 1} * taps)
{
    const double half = taps / 2.0;
    const double windowScale = 1 / besselI0(kKaiserBeta);
    std::vector<double> weights(taps);
    for (uint32_t p = 0; p <= phases; ++p) {
        float* row = weights_.data() + std::size_t{p} * taps;
        double sum = 0;
        for (uint32_t k = 0; k < taps; ++k) {
            // How far the output lies after input frame k of the row.
            const double distance = double(p) / phases + half - 1 - k;
            const double x = distance / half;
            const double window = x * x < 1 ? besselI0(kKaiserBeta * std::sqrt(1 - x * x)) * windowScale : 0;
            weights[k] = cutoff * sinc(cutoff * distance) * window;
            sum += weights[k];
        }
        // Every phase passes a constant unchanged.
        for (uint32_t k = 0; k < taps; ++k) row[k] = static_cast<float>(weights[k] / sum);
    }
}

std::shared_ptr<const SincTable> sincTableFor(uint32_t inputRate, uint32_t outputRate)
{
    const double ratio = double(inputRate) / outputRate;
    const auto step = ratio > 1 ? static_cast<uint32_t>(std::ceil(kRatioSteps * std::log2(ratio))) : 0u;

    static std::mutex mutex;
    static std::map<uint32_t, std::shared_ptr<const SincTable>> tables;
    std::lock_guard lock(mutex);
    auto& table = tables[step];
    if (!table) {
        // The filter reaches as far in the output's time whatever the ratio,
        // so in input frames it widens, and needs fewer phases, as the ratio
        // grows.
        const double stepRatio = std::exp2(step / kRatioSteps);
        const auto wide = static_cast<uint32_t>(std::ceil(kTaps * stepRatio / SincTable::kLanes)) * SincTable::kLanes;
        const uint32_t taps = std::min(wide, SincTable::kMaxTaps);
        const uint32_t phases = std::max(kPhases >> static_cast<uint32_t>(std::log2(stepRatio)), 64u);
        table = std::make_shared<const SincTable>(taps, phases, kCutoff / stepRatio);
    }
    return table;
}

} // namespace platform::audio

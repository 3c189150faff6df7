// The mixer's resampler: how clean a tone comes out (goal: at least 90 dB
// signal to noise at 2:1 and at 48000 to 46731), how far a tone above the
// output's Nyquist frequency is held down, and the cost per second.
#include "resampler.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using platform::audio::Resampler;

constexpr double kToneHertz = 1000;
constexpr double kAmplitude = 0.5;

std::vector<float> resampledTone(uint32_t inputRate, uint32_t outputRate, double hertz)
{
    std::vector<float> input(inputRate);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<float>(kAmplitude * std::sin(2 * std::numbers::pi * hertz * double(i) / inputRate));
    Resampler resampler(1);
    resampler.setRates(inputRate, outputRate);
    std::vector<float> output(size_t{outputRate} + 64);
    uint32_t in = static_cast<uint32_t>(input.size());
    uint32_t out = static_cast<uint32_t>(output.size());
    resampler.process(input.data(), in, output.data(), out);
    output.resize(out);
    return output;
}

// Power of what is left after the best fit of a tone of the given
// frequency, against the tone's power, in dB.
double toneToResidualDb(const std::vector<float>& y, uint32_t rate, double hertz)
{
    const size_t from = 200, to = y.size() - 200;
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (size_t n = from; n < to; ++n) {
        const double w = 2 * std::numbers::pi * hertz * double(n) / rate;
        const double s = std::sin(w), c = std::cos(w);
        ss += s * s, sc += s * c, cc += c * c, ys += y[n] * s, yc += y[n] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
    double signal = 0, residual = 0;
    for (size_t n = from; n < to; ++n) {
        const double w = 2 * std::numbers::pi * hertz * double(n) / rate;
        const double fit = a * std::sin(w) + b * std::cos(w);
        signal += fit * fit;
        residual += (y[n] - fit) * (y[n] - fit);
    }
    return 10 * std::log10(signal / residual);
}

// Times the conversion of one second of a tone; returns the last output.
std::vector<float> timedResampling(benchmark::State& state, uint32_t inputRate, uint32_t outputRate, double hertz)
{
    std::vector<float> out;
    for (auto _ : state) {
        out = resampledTone(inputRate, outputRate, hertz);
        benchmark::DoNotOptimize(out.data());
    }
    return out;
}

void BM_ResampledToneSnr(benchmark::State& state)
{
    const auto inputRate = static_cast<uint32_t>(state.range(0));
    const auto outputRate = static_cast<uint32_t>(state.range(1));
    const std::vector<float> out = timedResampling(state, inputRate, outputRate, kToneHertz);
    const double snr = toneToResidualDb(out, outputRate, kToneHertz);
    state.counters["snr_dB"] = snr;
    state.counters["goal_dB"] = 90;
    state.SetLabel(snr >= 90 ? "ok: SNR at least 90 dB" : "BELOW GOAL: SNR at least 90 dB");
}
BENCHMARK(BM_ResampledToneSnr)
    ->Args({22050, 44100})
    ->Args({48000, 46731})
    ->Args({46731, 44100})
    ->Unit(benchmark::kMillisecond);

// A tone above the output's Nyquist frequency must vanish, not fold back.
void BM_AliasRejection(benchmark::State& state)
{
    const auto inputRate = static_cast<uint32_t>(state.range(0));
    const auto outputRate = static_cast<uint32_t>(state.range(1));
    const std::vector<float> out = timedResampling(state, inputRate, outputRate, static_cast<double>(state.range(2)));
    double power = 0;
    for (size_t n = 200; n + 200 < out.size(); ++n) power += double(out[n]) * out[n];
    power /= double(out.size() - 400);
    state.counters["alias_dB"] = 10 * std::log10(power / (kAmplitude * kAmplitude / 2));
}
BENCHMARK(BM_AliasRejection)->Args({48000, 22050, 15000})->Args({48000, 46731, 23800})->Unit(benchmark::kMillisecond);

} // namespace

// CPU cost of mixing, per second of 44.1 kHz stereo output.
#include "platform/audio.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace platform;

constexpr uint32_t kRate = 44100;
constexpr uint32_t kControls = kAudioBufferCtrlFrequency | kAudioBufferCtrlPan | kAudioBufferCtrlVolume;

std::unique_ptr<AudioBuffer> playingBuffer(AudioDevice& device, const AudioFormat& format, uint32_t frames,
                                           uint32_t frequency)
{
    std::unique_ptr<AudioBuffer> buffer;
    device.createBuffer(kControls, format, frames * format.blockBytes(), buffer);
    AudioLockedRegion region;
    buffer->lock(0, buffer->bytes(), region);
    for (uint32_t i = 0; i < region.firstBytes; ++i) region.first[i] = static_cast<uint8_t>(i * 37 + i / 5);
    buffer->unlock(region.first, region.firstBytes, nullptr, 0);
    buffer->setFrequency(frequency);
    buffer->setVolume(-1200);
    buffer->play(kAudioPlayLooping);
    return buffer;
}

// Renders one second per iteration: the CPU time of an iteration is the
// cost of one second of audio.
void renderSeconds(benchmark::State& state, OfflineAudioDevice& device)
{
    std::vector<uint8_t> out(kRate * 4);
    for (auto _ : state) {
        device.render(out.data(), kRate);
        benchmark::DoNotOptimize(out.data());
    }
}

// The goal for a whole scene: at most 3 % of one core.
constexpr double kSceneGoalMs = 30;

// 16 streaming buffers and 64 short sounds, all playing at once; every
// third one is resampled: recorded at 22050 Hz (range 0), or pitched to an
// odd rate (range 1).
void BM_MixScene(benchmark::State& state)
{
    const bool pitched = state.range(0) == 1;
    auto device = openOfflineAudioDevice();
    std::vector<std::unique_ptr<AudioBuffer>> buffers;
    for (int i = 0; i < 80; ++i) {
        const uint32_t frames = i < 16 ? kRate : kRate / 4;
        const bool resampled = i % 3 == 0;
        const uint32_t rate = resampled && !pitched ? kRate / 2 : kRate;
        const uint32_t frequency = resampled && pitched ? 48000 - 37 * i : kAudioFrequencyOriginal;
        buffers.push_back(playingBuffer(*device, AudioFormat{2, 16, rate}, frames, frequency));
    }
    renderSeconds(state, *device);
    state.counters["goal_cpu_ms"] = kSceneGoalMs;
    state.SetLabel("goal: CPU at most 30 ms per second of audio");
}
BENCHMARK(BM_MixScene)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One voice: at the device rate (no resampler), or resampled from a rate.
void BM_OneVoice(benchmark::State& state)
{
    const auto rate = static_cast<uint32_t>(state.range(0));
    auto device = openOfflineAudioDevice();
    auto buffer = playingBuffer(*device, AudioFormat{2, 16, rate}, rate, kAudioFrequencyOriginal);
    renderSeconds(state, *device);
}
BENCHMARK(BM_OneVoice)->Arg(44100)->Arg(22050)->Arg(48000)->Arg(46731)->Unit(benchmark::kMicrosecond);

// An empty device: the fixed cost of a second of output.
void BM_Silence(benchmark::State& state)
{
    auto device = openOfflineAudioDevice();
    renderSeconds(state, *device);
}
BENCHMARK(BM_Silence)->Unit(benchmark::kMicrosecond);

} // namespace

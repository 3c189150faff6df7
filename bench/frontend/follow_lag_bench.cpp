// How long after a note is heard zemplay --follow prints its line, on one
// clock: through the recording MIDI backend over the demo (heard = the
// recording's line reaching its file), and through the built-in
// synthesizer captured by SDL's disk driver (heard = the note's onset
// reaching the capture, spread over the buffer that brought it).
#include "follow_timing.h"
#include "note_timing.h"

#include <run_program.h>
#include <temp_dir.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace std::chrono_literals;

constexpr double kCaptureBytesPerMs = 44100.0 * 4 / 1000;

// Line time minus sound time: its mean, and the 95th percentile and the
// largest of its size (a busy machine delays a few lines).
struct Lag {
    double mean = 0, p95 = 0, worst = 0;
};

Lag lagOf(const std::vector<zem_test::TimedLine>& lines, const std::vector<double>& heard)
{
    Lag lag;
    const size_t notes = std::min(lines.size(), heard.size());
    std::vector<double> sizes;
    for (size_t i = 0; i < notes; ++i) {
        const double d = lines[i].ms - heard[i];
        lag.mean += d / double(notes);
        sizes.push_back(std::fabs(d));
    }
    std::sort(sizes.begin(), sizes.end());
    if (!sizes.empty()) {
        lag.p95 = sizes[sizes.size() * 95 / 100];
        lag.worst = sizes.back();
    }
    return lag;
}

void report(benchmark::State& state, const Lag& lag, size_t lines, size_t heard)
{
    state.counters["notes"] = double(lines);
    state.counters["heard"] = double(heard);
    state.counters["lag_mean_ms"] = lag.mean;
    state.counters["lag_p95_ms"] = lag.p95;
    state.counters["lag_max_ms"] = lag.worst;
}

void followLagRecording(benchmark::State& state)
{
    const zem_test::TempDir dir;
    const std::string recording = dir.file("recording.txt");
    for (auto _ : state) {
        const auto run = zem_test::runTimed(
            std::string(ZEM_BIN_DIR) + "/zemplay",
            {"-p", "MIDI Recorder", "-L1", "--follow", std::string(ZEM_SOURCE_DIR) + "/examples/demo.kvt"}, dir.path(),
            {"ZEM_MIDI_RECORD=" + recording}, recording, 600s);
        if (run.status != 0) return state.SkipWithError("zemplay failed");
        const std::vector<double> heard = zem_test::recordedNoteOns(recording, run.growth);
        report(state, lagOf(run.out, heard), run.out.size(), heard.size());
    }
}

void followLagSynthesizer(benchmark::State& state)
{
    const zem_test::TempDir dir;
    dir.write("timing60.kvt", zem_test::readFile(std::string(ZEM_SOURCE_DIR) + "/bench/frontend/timing60.kvt"));
    const std::string capture = dir.file("sound.raw");
    for (auto _ : state) {
        const auto run = zem_test::runTimed(std::string(ZEM_BIN_DIR) + "/zemplay", {"-L1", "--follow", "timing60.kvt"},
                                            dir.path(), {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + capture},
                                            capture, 300s);
        if (run.status != 0) return state.SkipWithError("zemplay failed");
        std::vector<double> heard;
        for (double onsetMs : zem_test::soundOnsets(capture))
            heard.push_back(
                zem_test::grownTo(run.growth, uint64_t(onsetMs * kCaptureBytesPerMs) + 4, kCaptureBytesPerMs));
        report(state, lagOf(run.out, heard), run.out.size(), heard.size());
    }
}

BENCHMARK(followLagRecording)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(followLagSynthesizer)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

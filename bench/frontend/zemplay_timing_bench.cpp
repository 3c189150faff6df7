// A minute of a score with tempo changes played in real time by zemplay
// through the built-in synthesizer, captured by SDL's disk driver: the
// latency of every note against its time in the score, and their spread.
#include "note_timing.h"

#include <run_program.h>
#include <temp_dir.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

namespace {

void zemplayTiming(benchmark::State& state)
{
    const zem_test::TempDir dir;
    dir.write("timing60.kvt", zem_test::readFile(std::string(ZEM_SOURCE_DIR) + "/bench/frontend/timing60.kvt"));
    if (zem_test::runProgram("zemc", {"timing60.kvt"}, dir.path()).status != 0) {
        state.SkipWithError("zemc failed");
        return;
    }
    std::ifstream in(dir.file("timing60.ZEM"), std::ios::binary);
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<double> notes = zem_test::scoreNoteTimes(image);
    zem_test::TimingResult result;
    for (auto _ : state) {
        const auto run = zem_test::runProgram("zemplay", {"-L1", "timing60.ZEM"}, dir.path(),
                                              {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.file("sound.raw")});
        if (run.status != 0) {
            state.SkipWithError("zemplay failed");
            return;
        }
        result = zem_test::compareTimes(notes, zem_test::soundOnsets(dir.file("sound.raw")));
    }
    state.counters["notes"] = double(result.notes);
    state.counters["onsets"] = double(result.onsets);
    state.counters["latency_ms"] = result.latencyMs;
    state.counters["spread_ms"] = result.spreadMs;
}

BENCHMARK(zemplayTiming)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

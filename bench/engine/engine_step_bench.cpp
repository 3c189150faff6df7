// One unit step at a time through a dense 16-track song: every track plays
// sixteenth notes at 120 beats per minute with a controller slide and an
// oscillator modulator running, as the exporter drives the engine (1 ms per
// call).  Reports the time per unit step, the instance size for 16 ports
// and 16 tracks, and the allocations made after dp_const.
#include "image_builder.h"
#include "zemplay.h"

#include "zem/command_words.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace zemtest;

namespace {

constexpr uint32_t kUnits = 300000;

Words modSet(unsigned target, unsigned parameter, int value)
{
    return {zem::makeModSet(parameter, target), static_cast<uint16_t>(value)};
}

Words denseTrack(unsigned channel)
{
    Words bar;
    for (unsigned i = 0; i < 16; ++i) bar = cat({bar, note(48 + channel + (i % 5), 12)});
    return cat({{zem::makePortChannel(0, channel)},
                // Oscillator A on the modulation wheel: a sine of 250 ms.
                modSet(1, 17, 0x0100),
                modSet(1, 18, 30),
                modSet(1, 19, 30),
                modSet(1, 21, 250),
                modSet(1, 22, 250),
                {zem::kModSwitch, zem::makeModSwitchOperand(1, 5, true)},
                {zem::makeByteClass(zem::kLoopBegin, 0)},
                {zem::makeSlide(zem::SlideKind::Controller, zem::kSlideHasLength), 0x0B7F},
                lengthWords(96),
                bar,
                {zem::makeSlide(zem::SlideKind::Controller, zem::kSlideHasLength), 0x0B20},
                lengthWords(96),
                bar,
                {zem::kLoopEnd, zem::kEnd}});
}

struct Counters {
    size_t allocations = 0;
    size_t bytes = 0;
    size_t notes = 0, controls = 0;
};

int ignore5(void*, int, int, int, int, int) { return 0; }

dp_options options()
{
    dp_options o{};
    o.allocate = [](void* u, size_t n) -> void* {
        auto& c = *static_cast<Counters*>(u);
        ++c.allocations;
        c.bytes += n;
        return std::calloc(1, n);
    };
    o.free = [](void*, void* block) { std::free(block); };
    o.error = [](void*, uint32_t, int) { return 0; };
    o.unit_passed = [](void*, uint32_t) { return 0; };
    o.tick_passed = [](void*, uint32_t) { return 0; };
    o.note_on = [](void* u, int, int, int, int, int) {
        ++static_cast<Counters*>(u)->notes;
        return 0;
    };
    o.note_off = ignore5;
    o.control_change = [](void* u, int, int, int, int, int) {
        ++static_cast<Counters*>(u)->controls;
        return 0;
    };
    return o;
}

// A player over `trackCount` dense tracks on the 16 channels in turn, its
// memory counted in `counters`; null (the benchmark skipped) when refused.
// `image` holds the song for as long as the player plays it.
dp_player* constructDense(benchmark::State& state, unsigned trackCount, std::vector<uint8_t>& image, Counters& counters)
{
    ImagePlan plan;
    for (unsigned t = 0; t < trackCount; ++t) plan.tracks.push_back(denseTrack(t % 16));
    image = buildImage(plan);
    dp_options o = options();
    dp_player* p = dp_const(16, image.data(), image.size(), &o, sizeof o, &counters, nullptr);
    if (!p) state.SkipWithError("dp_const refused the image");
    return p;
}

void BM_UnitStepDense16(benchmark::State& state)
{
    std::vector<uint8_t> image;
    Counters counters;
    dp_player* p = constructDense(state, 16, image, counters);
    if (!p) return;
    size_t instanceBytes = counters.bytes;
    size_t allocationsAtConst = counters.allocations;
    for (auto _ : state) {
        p->reset(p);
        for (uint32_t u = 0; u < kUnits; ++u) p->advance_units(p, 1, DP_NORMAL_SPEED);
    }
    // Seconds per unit step (shown with an SI prefix: "150n" is 150 ns).
    state.counters["time_per_unit"] = benchmark::Counter(static_cast<double>(state.iterations()) * kUnits,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["instance_MiB"] = static_cast<double>(instanceBytes) / (1 << 20);
    state.counters["allocs_after_const"] = static_cast<double>(counters.allocations - allocationsAtConst);
    // What one pass of 300 s sends, to show the song is as dense as meant.
    state.counters["notes_per_pass"] = static_cast<double>(counters.notes) / static_cast<double>(state.iterations());
    state.counters["controls_per_pass"] = static_cast<double>(counters.controls) /
                                          static_cast<double>(state.iterations());
    p->close(p);
}
BENCHMARK(BM_UnitStepDense16)->Unit(benchmark::kMillisecond);

// What a score view pays per video frame: the places of 256 tracks of a
// playing song (goal: under 1 us).
void BM_TrackPositions256(benchmark::State& state)
{
    std::vector<uint8_t> image;
    Counters counters;
    dp_player* p = constructDense(state, 256, image, counters);
    if (!p) return;
    p->advance_units(p, 1000, DP_NORMAL_SPEED);
    uint32_t words[256];
    for (auto _ : state) {
        benchmark::DoNotOptimize(dp_track_positions(p, words, 256));
        benchmark::ClobberMemory();
    }
    p->close(p);
}
BENCHMARK(BM_TrackPositions256)->Unit(benchmark::kNanosecond);

} // namespace

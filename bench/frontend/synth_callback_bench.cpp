// Whether the built-in synthesizer keeps up with the demo at the player's
// default audio buffer (512 frames, 11.6 ms): each simulated audio callback
// advances the engine by the milliseconds of its buffer and renders it in
// 64-frame blocks, as the real-time path does; a callback that takes longer
// than its buffer lasts would be an underrun.
#include <run_program.h>
#include <temp_dir.h>

#include "platform/midi_synth.h"
#include "zemplay.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr size_t kCallbackFrames = 512;
constexpr size_t kBlockFrames = 64;

// Time this thread ran, in milliseconds: on a busy machine the wall-clock
// time of a callback also holds the time other programs ran.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

struct Sink {
    platform::MidiSynth* synth;
    uint8_t exclusive[256];
};

Sink& sink(void* user) { return *static_cast<Sink*>(user); }
void send(void* user, int port, int status, int channel, int a, int b)
{
    sink(user).synth->shortMessage(port, uint32_t(status | channel) | uint32_t(a & 127) << 8 | uint32_t(b & 127) << 16);
}

dp_options synthOptions()
{
    dp_options o{};
    o.note_off = [](void* u, int p, int, int c, int k, int v) { return send(u, p, 0x80, c, k, v), 0; };
    o.note_on = [](void* u, int p, int, int c, int k, int v) { return send(u, p, 0x90, c, k, v), 0; };
    o.key_pressure = [](void* u, int p, int, int c, int k, int v) { return send(u, p, 0xA0, c, k, v), 0; };
    o.control_change = [](void* u, int p, int, int c, int k, int v) { return send(u, p, 0xB0, c, k, v), 0; };
    o.program_change = [](void* u, int p, int, int c, int v) { return send(u, p, 0xC0, c, v, 0), 0; };
    o.channel_pressure = [](void* u, int p, int, int c, int v) { return send(u, p, 0xD0, c, v, 0), 0; };
    o.pitch_bend = [](void* u, int p, int, int c, int v) { return send(u, p, 0xE0, c, v & 127, (v + 8192) >> 7), 0; };
    o.exclusive_buffer = [](void* u, int, int, int count) { return count <= 256 ? sink(u).exclusive : nullptr; };
    o.exclusive_send = [](void* u, int p, int, int count) {
        sink(u).synth->exclusive(p, sink(u).exclusive, size_t(count));
        return 0;
    };
    o.endless_loop_pass = [](void*, int, uint32_t) { return 1; }; // once round, then on to the end
    return o;
}

void demoCallbacks(benchmark::State& state)
{
    const zem_test::TempDir dir;
    dir.write("demo.kvt", zem_test::readFile(std::string(ZEM_SOURCE_DIR) + "/examples/demo.kvt"));
    if (zem_test::runProgram("zemc", {"demo.kvt"}, dir.path()).status != 0) return state.SkipWithError("zemc failed");
    std::ifstream in(dir.file("demo.ZEM"), std::ios::binary);
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    auto synth = platform::MidiSynth::create(platform::synthSoundFontPath(), 0.2, &error);
    if (!synth) return state.SkipWithError(error.c_str());
    const double budgetMs = 1000.0 * kCallbackFrames / platform::kSynthSampleRate;
    double worstMs = 0, totalMs = 0, worstCpuMs = 0;
    size_t callbacks = 0, over = 0, overCpu = 0;
    for (auto _ : state) {
        Sink s{synth.get(), {}};
        const dp_options options = synthOptions();
        dp_player* player = dp_const(16, image.data(), image.size(), &options, sizeof options, &s, nullptr);
        std::vector<int16_t> buffer(2 * kCallbackFrames);
        uint64_t frames = 0, songMs = 0;
        while (!player->finished(player)) {
            const auto start = std::chrono::steady_clock::now();
            const double startCpu = threadCpuMs();
            frames += kCallbackFrames;
            const uint64_t untilMs = frames * 1000 / platform::kSynthSampleRate;
            for (; songMs < untilMs; ++songMs) player->advance_units(player, 1, DP_NORMAL_SPEED);
            for (size_t done = 0; done < kCallbackFrames; done += kBlockFrames)
                synth->render(buffer.data() + 2 * done, kBlockFrames);
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            const double cpuMs = threadCpuMs() - startCpu;
            worstCpuMs = std::max(worstCpuMs, cpuMs);
            overCpu += cpuMs > budgetMs;
            worstMs = std::max(worstMs, ms);
            totalMs += ms;
            over += ms > budgetMs;
            ++callbacks;
        }
        player->close(player);
    }
    state.counters["callbacks"] = double(callbacks);
    state.counters["worst_ms"] = worstMs;
    state.counters["mean_ms"] = callbacks ? totalMs / double(callbacks) : 0;
    state.counters["budget_ms"] = budgetMs;
    state.counters["over_budget"] = double(over);
    state.counters["worst_cpu_ms"] = worstCpuMs;
    state.counters["over_budget_cpu"] = double(overCpu);
}

BENCHMARK(demoCallbacks)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

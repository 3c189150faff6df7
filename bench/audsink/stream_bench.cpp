// What one stream costs: the CPU time of its thread while it plays a 16-bit
// stereo WAVE file through SDL (the dummy driver unless one is chosen), as
// a percentage of one core.  Target: under 0.5 %.  And the same stream's
// ticks on the offline device, per second of audio.
#include "audsink.h"
#include "platform/audio.h"
#include "wave_builder.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

constexpr uint32_t kFileSeconds = 30;

std::string makeWave()
{
    static const std::string path = [] {
        Bytes data;
        uint32_t seed = 7;
        for (uint32_t i = 0; i < 2 * 44100 * kFileSeconds; ++i) {
            seed = seed * 1103515245u + 12345u;
            putLe16(data, uint16_t(seed >> 16));
        }
        const Bytes file = simpleWave(1, 2, 44100, 16, data);
        const std::string name = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                                 "/audsink-bench-" + std::to_string(getpid()) + ".wav";
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), long(file.size()));
        return name;
    }();
    return path;
}

// Nanoseconds on the CPU of every thread named "audsink stream".
uint64_t streamThreadsCpuNs()
{
    uint64_t total = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return 0;
    while (dirent* e = readdir(tasks)) {
        const std::string dir = std::string("/proc/self/task/") + e->d_name;
        std::string name;
        std::getline(std::ifstream(dir + "/comm"), name);
        if (name != "audsink stream") continue;
        uint64_t ns = 0;
        std::ifstream(dir + "/schedstat") >> ns;
        total += ns;
    }
    closedir(tasks);
    return total;
}

void StreamThreadOnDevice(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const std::string file = makeWave();
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        ds8* ds = ds8_const(nullptr, nullptr, nullptr);
        if (ds->open_device(ds, "", 2, 16, 44100, nullptr, 2) != DS8_OK) {
            state.SkipWithError("no audio device");
            ds->destroy(ds);
            return;
        }
        ds8_stream* stream = ds->stream_create(ds, 20);
        ds->stream_request_open(stream, file.c_str(), ZEM_BIN_DIR "/qzwav.so", 200, 0, 0);
        ds->stream_play(stream);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const uint64_t cpuStart = streamThreadsCpuNs();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        cpu += double(streamThreadsCpuNs() - cpuStart);
        wall += double(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
        state.SetIterationTime(wall / 1e9);
        if (ds->stream_is_stopped(stream)) state.SkipWithError("the stream stopped early");
        ds->destroy(ds);
    }
    state.counters["core_percent"] = 100 * cpu / wall;
}
BENCHMARK(StreamThreadOnDevice)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// One stream's ticks every 20 ms and the mixing of its buffer, offline:
// time per second of audio.
void StreamOnOfflineDevice(benchmark::State& state)
{
    const std::string file = makeWave();
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    ds->open_device(ds, DS8_OFFLINE_DEVICE, 2, 16, 44100, nullptr, 2);
    auto& device =
        *static_cast<platform::OfflineAudioDevice*>(static_cast<platform::AudioDevice*>(ds->device_object(ds)));
    ds8_stream* stream = ds->stream_create(ds, 20);
    std::vector<int16_t> out(2 * 44100);
    for (auto _ : state) {
        ds->stream_open(stream, file.c_str(), ZEM_BIN_DIR "/qzwav.so", 200, 0, 0);
        ds->stream_play(stream);
        for (uint32_t s = 0; s < kFileSeconds - 1; ++s) device.render(out.data(), 44100);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * (kFileSeconds - 1));
    ds->destroy(ds);
}
BENCHMARK(StreamOnOfflineDevice)->Unit(benchmark::kMillisecond);

} // namespace

// Play from a place of a 10-minute, 16-track score (bench/lib/dense_song.sh):
// from the request to the first note-on reaching the MIDI port, at 10 %,
// 50 % and 95 % of the song, while it plays (the image is kept) and from
// a stopped player (the score is compiled first).
#include "frontend/session.h"
#include <temp_dir.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// 150 bars of 4/4 at 120 beats per minute, twice.
constexpr uint32_t kBars = 300;

// A port that keeps the time of its first note-on since the last reset.
class FirstNotePort final : public platform::MidiOutPort {
public:
    explicit FirstNotePort(std::atomic<int64_t>& firstNote) : firstNote_(firstNote) {}
    bool shortMessage(uint32_t packed) override
    {
        const bool noteOn = (packed & 0xF0) == 0x90 && ((packed >> 16) & 0x7F) != 0;
        int64_t none = 0;
        if (noteOn) firstNote_.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
        return true;
    }
    bool longMessage(platform::MidiLongMessage& message) override { return message.done = true; }

private:
    std::atomic<int64_t>& firstNote_;
};

class FirstNoteDevices final : public frontend::MidiDevices {
public:
    int count() override { return 0; }
    std::string name(int device) override { return device == platform::kMidiMapper ? "First Note" : ""; }
    std::unique_ptr<platform::MidiOutPort> open(int) override { return std::make_unique<FirstNotePort>(firstNote); }

    std::atomic<int64_t> firstNote{0};
};

// Milliseconds from the request to the first note-on; -1 when refused.
double clickToSound(frontend::Session& session, FirstNoteDevices& devices, uint32_t bar)
{
    devices.firstNote = 0;
    const auto asked = Clock::now();
    if (!session.playFrom({.kind = frontend::StartPoint::Kind::Bar, .bar = bar, .beat = 1})) return -1;
    while (devices.firstNote == 0 && Clock::now() - asked < 5s) std::this_thread::sleep_for(100us);
    return std::chrono::duration<double, std::milli>(Clock::duration(devices.firstNote.load()) -
                                                     asked.time_since_epoch())
        .count();
}

void playFrom(benchmark::State& state)
{
    const zem_test::TempDir dir;
    const std::string song = dir.file("dense.kvt");
    const std::string make = ". '" + std::string(ZEM_SOURCE_DIR) + "/bench/lib/dense_song.sh' && dense_song '" + song +
                             "' 100 2 yes";
    const int made = std::system(make.c_str());
    FirstNoteDevices devices;
    frontend::SessionConfig config;
    config.useSettingsFile = false;
    config.singleInstance = false;
    config.devices = &devices;
    config.audsink = {};
    auto session = frontend::Session::create(config, nullptr);
    if (made != 0 || !session) return state.SkipWithError("no score or no session");
    session->selectFile(song);
    const bool playing = state.range(1) != 0;
    const uint32_t bar = uint32_t(state.range(0)) * kBars / 100 + 1;
    double worst = 0;
    for (auto _ : state) {
        if (playing) {
            session->play();
            std::this_thread::sleep_for(200ms);
        } else {
            session->stop();
        }
        const double ms = clickToSound(*session, devices, bar);
        if (ms < 0) return state.SkipWithError("the place was refused");
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["worst_ms"] = worst;
    session->stop();
}

// Arguments: percent of the song, whether it was playing.
BENCHMARK(playFrom)->ArgsProduct({{10, 50, 95}, {1, 0}})->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

#include "render_synth.h"

#include "midi_port_sink.h"

#include "util/uerr.h"

#include <algorithm>
#include <numeric>
#include <thread>

namespace zem2wav {

namespace {

constexpr size_t kSynthVoices = 256; // FluidSynth's default polyphony
constexpr size_t kMinLaneVoices = 16;

class SilentClock final : public EventClock {
public:
    void unitPassed() override {}
    util::ErrCode beforeMessage() override { return 0; }
};

class NoteCountingPort final : public platform::MidiOutPort {
public:
    NoteCountingPort(ChannelLoad& load, int port) : load_(load), port_(port) {}
    bool shortMessage(uint32_t packed) override
    {
        const bool isNoteOn = (packed & 0xF0) == 0x90 && (packed >> 16 & 0x7F) != 0;
        if (isNoteOn) ++load_[size_t(port_) * 16 + (packed & 0x0F)];
        return true;
    }
    bool longMessage(platform::MidiLongMessage& message) override
    {
        message.done = true;
        return true;
    }

private:
    ChannelLoad& load_;
    int port_;
};

} // namespace

ChannelLoad measureChannelLoad(const std::vector<uint8_t>& image, const host::PlaybackSettings& settings)
{
    ChannelLoad load{};
    std::vector<std::unique_ptr<NoteCountingPort>> counters;
    PortTable ports{};
    for (int p = 0; p < platform::kSynthPorts; ++p) {
        counters.push_back(std::make_unique<NoteCountingPort>(load, p));
        ports[size_t(p)] = counters.back().get();
    }
    SilentClock clock;
    MidiPortSink sink(ports, clock);
    host::SongPlayback song(image.data(), image.size(), settings, sink);
    // A song that fails is measured up to its error; the render reports it.
    try {
        song.play();
    } catch (const util::UerrRaised&) {}
    return load;
}

size_t laneCount(const ChannelLoad& load, unsigned threads)
{
    const auto playing = static_cast<size_t>(std::count_if(load.begin(), load.end(), [](uint64_t n) { return n > 0; }));
    return std::max<size_t>(1, std::min<size_t>(threads, playing));
}

ChannelOwners dealChannels(const ChannelLoad& load, size_t lanes)
{
    ChannelOwners owners{};
    std::array<size_t, kSynthChannels> order;
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&load](size_t a, size_t b) { return load[a] > load[b]; });
    std::vector<uint64_t> laneLoad(lanes, 0);
    for (size_t channel : order) {
        if (load[channel] == 0) break;
        const auto lightest =
            static_cast<size_t>(std::min_element(laneLoad.begin(), laneLoad.end()) - laneLoad.begin());
        owners[channel] = static_cast<uint8_t>(lightest);
        laneLoad[lightest] += load[channel];
    }
    return owners;
}

unsigned defaultRenderThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

std::unique_ptr<platform::MidiSynth> createRenderSynth(const std::vector<uint8_t>& image,
                                                       const host::PlaybackSettings& settings, unsigned threads,
                                                       double gain, std::string* error)
{
    const std::string soundFont = platform::synthSoundFontPath();
    if (threads <= 1) return platform::MidiSynth::create(soundFont, gain, error);
    const ChannelLoad load = measureChannelLoad(image, settings);
    const size_t lanes = laneCount(load, threads);
    if (lanes == 1) return platform::MidiSynth::create(soundFont, gain, error);
    std::vector<std::unique_ptr<platform::MidiSynth>> synths;
    for (size_t i = 0; i < lanes; ++i) {
        synths.push_back(platform::MidiSynth::create(soundFont, gain, error));
        if (!synths.back()) return nullptr;
        // The voices of one synthesizer, shared out: a song that fills them
        // costs no more work split than whole.
        synths.back()->limitVoices(static_cast<int>(std::max<size_t>(kMinLaneVoices, kSynthVoices / lanes)));
    }
    return std::make_unique<SynthBank>(std::move(synths), dealChannels(load, lanes));
}

} // namespace zem2wav

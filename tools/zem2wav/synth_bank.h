// Several synthesizers playing as one: each owns some of the 256 MIDI
// channels, all render the same frames on their own threads, and the sum
// is the output.  Messages reach their channel's owner at once, between
// renders, so every message keeps its exact frame.
#pragma once

#include "platform/midi_synth.h"

#include <array>
#include <memory>
#include <semaphore>
#include <thread>
#include <vector>

namespace zem2wav {

inline constexpr size_t kSynthChannels = size_t{platform::kSynthPorts} * 16;

// owner[c] is the synthesizer that plays synthesizer channel c (16 x port
// + MIDI channel).
using ChannelOwners = std::array<uint8_t, kSynthChannels>;

class SynthBank final : public platform::MidiSynth {
public:
    SynthBank(std::vector<std::unique_ptr<platform::MidiSynth>> synths, const ChannelOwners& owners);
    ~SynthBank() override;

    void shortMessage(int port, uint32_t packed) override;
    // Reaches every synthesizer: resets and part settings act on all.
    void exclusive(int port, const uint8_t* bytes, size_t count) override;
    void render(int16_t* stereo, size_t frames) override;
    bool hasActiveVoices() const override;

private:
    struct Lane {
        std::unique_ptr<platform::MidiSynth> synth;
        std::vector<float> left;
        std::vector<float> right;
        std::binary_semaphore start{0};
        std::thread thread; // none for the first lane: the caller renders it
    };

    void renderLanes(size_t frames);
    void serve(Lane& lane);

    std::vector<std::unique_ptr<Lane>> lanes_;
    ChannelOwners owners_;
    std::counting_semaphore<> finished_{0};
    size_t frames_ = 0;
    bool quitting_ = false;
};

// Sums float sample runs and converts them as the synthesizer converts its
// own: scaled, rounded to nearest and clipped, without dither.
void sumToStereo16(const std::vector<const float*>& left, const std::vector<const float*>& right, size_t frames,
                   int16_t* stereo);

} // namespace zem2wav

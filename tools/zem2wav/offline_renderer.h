// Renders the synthesizer in step with song time: every millisecond unit
// owns exactly its share of the 44100 samples of a second (44 or 45), so
// message times never drift from the song, whatever its tempo changes.
#pragma once

#include "midi_port_sink.h"

#include "platform/midi_synth.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace zem2wav {

// Frames from the start of the song to the start of unit `units`.
constexpr uint64_t framesAtUnit(uint64_t units) { return units * platform::kSynthSampleRate / 1000; }

// Adds sound from another source to the frames the synthesizer rendered.
class FrameMixer {
public:
    virtual ~FrameMixer() = default;
    virtual void mixInto(int16_t* stereo, size_t frames) = 0;
};

class OfflineRenderer final : public EventClock {
public:
    // Receives the rendered audio in order, interleaved stereo.
    using FrameWriter = std::function<void(const int16_t* stereo, size_t frames)>;

    OfflineRenderer(platform::MidiSynth& synth, FrameWriter write);

    void unitPassed() override;
    util::ErrCode beforeMessage() override;
    // Renders every frame due up to the current unit.  Raises the writer's
    // error (beforeMessage returns it instead: the engine is running then).
    void flush();
    // After the last message: renders until the synthesizer and its effects
    // are silent, at most maxFrames more.
    void renderTail(uint64_t maxFrames);

    // Called with the song time in milliseconds after every second of it.
    void setProgress(std::function<void(uint64_t units)> onSecond) { onSecond_ = std::move(onSecond); }
    // Mixed into every frame rendered from now on.
    void setMixer(FrameMixer* mixer) { mixer_ = mixer; }

    uint64_t units() const { return units_; }
    uint64_t framesRendered() const { return framesRendered_; }

private:
    // Renders n frames; returns the largest sample magnitude among them.
    int renderFrames(size_t n);

    platform::MidiSynth& synth_;
    FrameWriter write_;
    std::function<void(uint64_t)> onSecond_;
    FrameMixer* mixer_ = nullptr;
    uint64_t units_ = 0;
    uint64_t framesRendered_ = 0;
    std::vector<int16_t> buffer_;
};

} // namespace zem2wav

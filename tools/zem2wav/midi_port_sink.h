// Sends what the engine plays to MIDI output ports as MIDI messages, the
// fade applied to the channel volumes the way the exporter writes them.
#pragma once

#include "host/song_playback.h"
#include "platform/midi_out.h"
#include "playback/volume_fade.h"

#include <array>
#include <cstdint>

namespace zem2wav {

// The time that messages are sent at.
class EventClock {
public:
    virtual ~EventClock() = default;
    // One millisecond of song time has passed.
    virtual void unitPassed() = 0;
    // A message is about to go out at the current time.  A nonzero code
    // (a failed write of what came before) stops the song with that code.
    virtual util::ErrCode beforeMessage() = 0;
};

// Port n of the engine goes to ports[n]; a null entry drops its messages.
using PortTable = std::array<platform::MidiOutPort*, 16>;

class MidiPortSink final : public host::PlaybackSink {
public:
    MidiPortSink(const PortTable& ports, EventClock& clock) : ports_(ports), clock_(clock) {}

    void begin(int trackCount, int timebase) override;
    void unitPassed() override { clock_.unitPassed(); }
    util::ErrCode channelMessage(int port, int track, const host::ChannelMessage& message,
                                 const host::FadeState& fade) override;
    util::ErrCode exclusive(int port, int track, const uint8_t* bytes, uint32_t count) override;
    // Texts, tempo and meta events have no sound.
    util::ErrCode text(int, const uint8_t*, uint32_t) override { return 0; }
    util::ErrCode tempo(uint32_t) override { return 0; }
    util::ErrCode meta(int, int, const uint8_t*, uint32_t) override { return 0; }
    host::SoundSink* sound() override { return sound_; }
    void setSound(host::SoundSink* sound) { sound_ = sound; }

private:
    platform::MidiOutPort* outputOf(int port) const
    {
        return port >= 0 && static_cast<size_t>(port) < ports_.size() ? ports_[static_cast<size_t>(port)] : nullptr;
    }

    PortTable ports_;
    EventClock& clock_;
    host::SoundSink* sound_ = nullptr;
    playback::VolumeFade volumes_;
};

} // namespace zem2wav

// The player's MIDI sink: MIDI output to the port set, displays into the
// host's values, texts and errors into the message pane.  Sample and stream
// requests go to the sound bridge, the player's sound sink.
#pragma once

#include "follow_publisher.h"
#include "frontend/display_text.h"
#include "message_log.h"
#include "midi_port_set.h"

#include "host/held_notes.h"
#include "host/midi_sink.h"
#include "zemplay.h"

#include <cstdint>
#include <string>

namespace frontend {

// What the engine's events change.  Touched only by the thread that calls
// the engine, with the session lock held.
struct HostContext {
    MidiPortSet& ports;
    MessageLog& log;
    dp_player* player = nullptr; // for the bar counter
    bool sounding = false;       // a note-on since the start
    bool blocked = false;        // a sample load took wall-clock time
    uint32_t elapsedMs = 0;
    uint32_t tempoPeriod = 0;
    BarPosition bar;
    std::string key;
    // The notes sounding on the ports; while `keep` is set, note-offs of
    // the notes it holds are not sent (they sound on under a new image).
    host::HeldNotes held;
    const host::HeldNotes* keep = nullptr;
    // Told of every note started, with the command its track ran, so a
    // console can list the notes as they are heard; null: nobody follows.
    FollowPublisher* follow = nullptr;
    // When the unit being played is heard; set by the pass before each unit.
    FollowClock::time_point heard;

    // The values of a new start.
    void restart()
    {
        player = nullptr;
        sounding = blocked = false;
        elapsedMs = tempoPeriod = 0;
        bar = {};
        key.clear();
        held.clear();
        keep = nullptr;
    }
};

// The events of the engine into a HostContext.
class HostMidi final : public host::MidiSink {
public:
    explicit HostMidi(HostContext& context) : h_(context) {}

    // Errors are shown and playback goes on.
    int error(uint32_t offset, int code) override;
    int unitPassed(uint32_t unitCounter) override;
    int tickPassed(uint32_t tickCounter) override;
    int noteOff(int port, int track, int channel, int key, int velocity) override;
    int noteOn(int port, int track, int channel, int key, int velocity) override;
    int keyPressure(int port, int track, int channel, int key, int value) override;
    int controlChange(int port, int track, int channel, int controller, int value) override;
    int programChange(int port, int track, int channel, int program) override;
    int channelPressure(int port, int track, int channel, int value) override;
    int pitchBend(int port, int track, int channel, int value) override;
    uint8_t* exclusiveBuffer(int port, int track, int count) override;
    int exclusiveSend(int port, int track, int count) override;
    int text(int track, const char* text, int count) override;
    int tempo(uint32_t period) override;
    int meta(int track, int type, const uint8_t* payload, int count) override;

private:
    HostContext& h_;
};

} // namespace frontend

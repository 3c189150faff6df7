// The host callback table handed to the engine: MIDI output to the port
// set, displays into the host's values, sample and stream requests to the
// sound bridge, texts and errors into the message pane.
#pragma once

#include "frontend/display_text.h"
#include "message_log.h"
#include "midi_port_set.h"

#include "audsink_bridge/sound_bridge.h"
#include "host/held_notes.h"
#include "zemplay.h"

#include <cstdint>
#include <string>

namespace frontend {

// What the callbacks change; the user value of the table.  Touched only by
// the thread that calls the engine, with the session lock held.
struct HostContext {
    MidiPortSet& ports;
    audsink_bridge::SoundBridge& sound;
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
    zemfe::HeldNotes held;
    const zemfe::HeldNotes* keep = nullptr;

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

// The 57-entry table; pass a HostContext* as the user value.
dp_options hostOptions();

// The message pane line for an engine error: "%.8x : %s".
std::string engineErrorLine(uint32_t offset, int code);

} // namespace frontend

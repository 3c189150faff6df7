// The MIDI output device list the session opens its ports from: the
// system's (platform::midiOut*) by default, a table of fakes in tests.
#pragma once

#include "platform/midi_out.h"

#include <memory>
#include <string>

namespace frontend {

class MidiDevices {
public:
    virtual ~MidiDevices() = default;
    // Devices 0 .. count() - 1; -1 is the mapper (the built-in synthesizer).
    virtual int count() = 0;
    // At most 31 characters; empty for a device that does not exist.
    virtual std::string name(int device) = 0;
    virtual std::unique_ptr<platform::MidiOutPort> open(int device) = 0;
};

// The system's device list.
MidiDevices& systemMidiDevices();

} // namespace frontend

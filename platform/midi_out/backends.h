// The MIDI output backends, side by side.  The device list is their ports
// in table order: the built-in synthesizer's one port is device -1, the
// others follow from 0.
#pragma once

#include "platform/midi_out.h"

#include <memory>
#include <string>

namespace platform::midi_backend {

struct Backend {
    const char* name;
    int (*portCount)();
    std::string (*portName)(int index);
    std::unique_ptr<MidiOutPort> (*open)(int index);
};

extern const Backend kSynthBackend;
extern const Backend kSequencerBackend;
extern const Backend kRecordingBackend;

} // namespace platform::midi_backend

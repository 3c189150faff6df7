// The MIDI output backends, side by side.  The device list is their ports
// in table order: the built-in synthesizer's one port is device -1, the
// others follow from 0.
#pragma once

#include "platform/midi_out.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform::midi_backend {

// A port that hands every message on as its bytes, at once: a short message
// as long as its status byte says, a long one whole (done on return).
class BytePort : public MidiOutPort {
public:
    bool shortMessage(uint32_t packed) final
    {
        const uint8_t bytes[3] = {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)};
        const int length = midiShortMessageLength(bytes[0]);
        return length > 0 && sendBytes(bytes, static_cast<size_t>(length));
    }

    bool longMessage(MidiLongMessage& message) final
    {
        if (!message.data || message.length == 0 || !sendBytes(message.data, message.length)) return false;
        message.done = true;
        return true;
    }

protected:
    // False when the bytes could not go out.
    virtual bool sendBytes(const uint8_t* bytes, size_t count) = 0;
};

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

// The player's sixteen MIDI port slots: opening by device name, the
// channel messages with the note and pedal state kept per port, system
// exclusive messages of up to 127 bytes, and silencing.
//
// Used only with the session lock held.  While the playback thread drives
// the engine it sets the audio frame that the current millisecond sounds
// at; ports of the built-in synthesizer then take each message for that
// frame, other ports send at once.
#pragma once

#include "frontend/messages.h"
#include "frontend/midi_devices.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace frontend {

inline constexpr int kMaxExclusiveBytes = 127;
// How long a system-exclusive message may take before it is given up.
inline constexpr int kExclusiveTimeoutMs = 2000;

class MidiPortSet {
public:
    // Receives PortOpened, PortFailed and ExclusiveFailed.
    using ReportFn = std::function<void(Message)>;

    MidiPortSet(MidiDevices& devices, ReportFn report) : devices_(devices), report_(std::move(report)) {}
    ~MidiPortSet() { closeAll(); }
    MidiPortSet(const MidiPortSet&) = delete;
    MidiPortSet& operator=(const MidiPortSet&) = delete;

    // Opens slot i on the device named names[i] (at most 16 are used),
    // reporting each named one as opened or failed.
    void open(const std::vector<std::string>& names);
    // Silences, then closes every port.
    void closeAll();
    // Releases every pedal (69, 66, 64) and every sounding note.
    void silenceAll();

    // The channel messages; a port without an open slot drops them.
    void noteOff(int port, int channel, int key, int velocity);
    void noteOn(int port, int channel, int key, int velocity);
    void controlChange(int port, int channel, int controller, int value);
    // status 0xA0, 0xC0, 0xD0: no state is kept for them.
    void send(int port, int status, int channel, int data1, int data2);
    void pitchBend(int port, int channel, int value);
    // The buffer the engine writes a message of count bytes into; null when
    // the slot is empty or the message is longer than 127 bytes.
    uint8_t* exclusiveBuffer(int port, int count);
    void exclusiveSend(int port, int count);

    // The audio frame that messages take effect at, or none: at once.
    void setEventFrame(std::optional<uint64_t> frame) { eventFrame_ = frame; }
    // The first open port with an audio clock (the built-in synthesizer).
    const platform::MidiOutPort* clockPort() const;
    // True while an open port still sounds (see MidiOutPort::isSounding).
    bool isSounding() const;

private:
    struct Slot {
        // The message and its bytes outlive the device (declared first,
        // destroyed last): a device that finishes a message after it was
        // given up still writes into live memory.
        std::array<uint8_t, 256> exclusive{};
        platform::MidiLongMessage message;
        bool messagePending = false;
        std::array<std::array<uint8_t, 128>, 16> notes{}; // velocity, 0 = silent
        std::array<std::array<uint8_t, 3>, 16> pedals{};  // controllers 64, 66, 69
        std::unique_ptr<platform::MidiOutPort> out;
    };

    Slot* slot(int port) const;
    void sendShort(Slot& s, uint32_t packed);

    MidiDevices& devices_;
    ReportFn report_;
    std::array<std::unique_ptr<Slot>, 16> slots_;
    std::optional<uint64_t> eventFrame_;
};

} // namespace frontend

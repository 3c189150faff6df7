// MIDI output ports: what a player needs to sound a song on a device.
//
// Devices are numbered like the system's MIDI output list: -1 is the built-in
// synthesizer (always present, listed first), 0 .. midiOutDeviceCount() - 1
// the sequencer's output ports, then, when ZEM_MIDI_RECORD names a file, a
// recording device that writes every message with its time to that file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

inline constexpr int kMidiMapper = -1;
// Product names are cut to this many characters.
inline constexpr size_t kMidiNameChars = 31;

// A system-exclusive message handed to a device: the bytes from F0 to F7,
// kept alive by the caller until `done` is set.
struct MidiLongMessage {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    std::atomic<bool> done{false};
};

// One open output port.  Closing is destroying it.
class MidiOutPort {
public:
    virtual ~MidiOutPort() = default;
    // packed: status in bits 0-7, first data byte in bits 8-15, second in
    // bits 16-23 (only the bytes the status needs are used).  False when
    // the device refused it.
    virtual bool shortMessage(uint32_t packed) = 0;
    // False when refused (done then stays clear).
    virtual bool longMessage(MidiLongMessage& message) = 0;

    // Devices that make their own sound (the built-in synthesizer) keep an
    // audio clock: the frames rendered so far, at audioRate() per second.
    // Other devices answer 0 for both.
    virtual int audioRate() const { return 0; }
    virtual uint64_t audioFrames() const { return 0; }
    // The message takes effect at audio frame `frame` (at once when that
    // frame has been rendered), in the order the messages were given;
    // messages without a time that follow wait for the ones before them.
    // Devices without an audio clock send at once.  A long message is
    // copied (at most kMaxTimedExclusive bytes) and done on return.
    virtual bool shortMessageAt(uint64_t frame, uint32_t packed)
    {
        (void)frame;
        return shortMessage(packed);
    }
    virtual bool longMessageAt(uint64_t frame, MidiLongMessage& message)
    {
        (void)frame;
        return longMessage(message);
    }
    // Devices that make their own sound tell whether anything still sounds
    // (a release or a reverb tail), so that a song's end can ring out.
    // Other devices answer false.
    virtual bool isSounding() const { return false; }
};

// The longest system-exclusive message a device takes with a time.
inline constexpr uint32_t kMaxTimedExclusive = 256;

// The number of devices from 0 on (the built-in synthesizer not counted).
int midiOutDeviceCount();
// The product name of a device (-1 .. count - 1), at most kMidiNameChars
// characters; empty for a device that does not exist.
std::string midiOutDeviceName(int device);
// Null when the device does not exist or cannot be opened.
std::unique_ptr<MidiOutPort> midiOutOpen(int device);

// Microseconds, for the recording backend's time stamps.
using MidiClock = std::function<uint64_t()>;
// A recording port writing to path (created or truncated): one line per
// message, "<microseconds> <bytes in hexadecimal>".  clock null: the time
// since the port was opened.  Null when the file cannot be created.
std::unique_ptr<MidiOutPort> midiOutOpenRecording(const std::string& path, MidiClock clock = nullptr);

// The number of bytes a message with this status byte occupies (1 to 3);
// 0 for F0 and F7, which only travel as long messages.
int midiShortMessageLength(uint8_t status);

} // namespace platform

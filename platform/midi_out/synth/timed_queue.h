// Messages for the synthesizer waiting for their audio frame: filled by the
// player's thread, emptied by the audio callback between small blocks.
// A fixed ring under a short lock: nothing is allocated while playing.
#pragma once

#include "platform/midi_synth.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace platform {

struct TimedMessage {
    uint64_t frame = 0;
    int port = 0;
    uint32_t packed = 0; // a short message, when length is 0
    uint32_t length = 0; // bytes of a long message
    std::array<uint8_t, kMaxTimedExclusive> bytes{};
};

class TimedQueue {
public:
    explicit TimedQueue(MidiSynth& synth) : synth_(synth) {}

    // Queued behind the waiting messages; when none wait and the frame has
    // passed (`at once`), sent to the synthesizer now.  A full queue sends
    // its oldest message early rather than losing one.
    void push(const TimedMessage& message, bool atOnce);
    // Sends every waiting message whose frame lies before end, oldest first.
    void sendDue(uint64_t end);
    // Sends everything at once (the device is closing).
    void flush() { sendDue(UINT64_MAX); }

private:
    void send(const TimedMessage& message);

    static constexpr size_t kCapacity = 1024;
    MidiSynth& synth_;
    std::mutex lock_;
    std::array<TimedMessage, kCapacity> ring_;
    size_t head_ = 0;
    size_t count_ = 0;
};

} // namespace platform

// The events of one track chunk of a Standard MIDI File, collected in memory
// as the player reports them: delta times in player ticks, running status,
// meta splitting, SysEx forms and tempo conversion.
//
// The caller filters by track and port before calling; every event method
// returns DeltaTooLong, writing nothing, when the pending delta exceeds what
// a delta time can hold (0x0FFFFFFF ticks).
#pragma once

#include <cstdint>
#include <vector>

namespace smf {

enum class WriteResult { Ok, DeltaTooLong };

// Microseconds per quarter note that readers assume until a tempo event.
inline constexpr uint32_t kDefaultTempo = 500000;

// Microseconds per quarter note for a raw tempo (1/256 ms per tick) and a
// timebase (ticks per whole note), rounded half up and clamped to 1..0xFFFFFF.
uint32_t tempoMicroseconds(uint32_t rawTempo, uint32_t timebase);

class TrackWriter {
public:
    // offVelocity: note-offs as 8n with their release velocity instead of
    // 9n with velocity 0.
    explicit TrackWriter(bool offVelocity) : offVelocity_(offVelocity) { beginTrack(); }

    // Empties the event bytes and resets the pending delta, the running
    // status.
    void beginTrack();

    // Ticks since the last written event; events that are not written leave
    // them to the next one.
    void addTicks(uint32_t ticks) { pendingDelta_ += ticks; }
    uint32_t pendingDelta() const { return pendingDelta_; }

    // Channels 0-15; data bytes are written as given, one byte each.
    WriteResult noteOn(uint8_t channel, uint8_t key, uint8_t velocity);
    WriteResult noteOff(uint8_t channel, uint8_t key, uint8_t releaseVelocity);
    WriteResult keyPressure(uint8_t channel, uint8_t key, uint8_t value);
    WriteResult controlChange(uint8_t channel, uint8_t controller, uint8_t value);
    WriteResult programChange(uint8_t channel, uint8_t program);
    WriteResult channelPressure(uint8_t channel, uint8_t value);
    // value -8192 to 8191.
    WriteResult pitchBend(uint8_t channel, int32_t value);

    // A whole message of `length` bytes (below 256): F0 ... F7 is written in
    // the F0 form, anything else as an F7 escape with all its bytes.
    WriteResult sysex(const uint8_t* message, uint32_t length);
    // Types above 127 are ignored, and so is a type whose data length the
    // standard fixes (tempo 3 bytes, time signature 4, ...) when the data has
    // another length; data longer than 255 bytes is split into events of the
    // same type, the later ones at delta 0.  What is ignored leaves its time
    // to the next event.
    WriteResult meta(uint8_t type, const uint8_t* payload, uint32_t length);
    WriteResult text(const uint8_t* bytes, uint32_t length) { return meta(0x01, bytes, length); }
    WriteResult tempo(uint32_t rawTempo, uint32_t timebase);
    // carryPendingDelta: the end carries the ticks since the last event;
    // otherwise its delta is 0 and they are dropped.
    WriteResult endOfTrack(bool carryPendingDelta);

    // The event bytes of the chunk so far (without "MTrk" and length).
    const std::vector<uint8_t>& events() const { return events_; }

private:
    bool takeDelta();
    WriteResult channelMessage(uint8_t status, uint8_t data1);
    WriteResult channelMessage(uint8_t status, uint8_t data1, uint8_t data2);

    bool offVelocity_;
    std::vector<uint8_t> events_;
    uint32_t pendingDelta_ = 0;
    uint8_t runningStatus_ = 0;
};

} // namespace smf

// Envelopes of the voice layer: the 24-byte envelope records that an
// instrument carries for volume, pitch and pan, and the per-voice state
// that walks one of them in milliseconds.
//
// Record layout (as carried by meta 0x90..0x92):
//   byte 0 flags A, byte 1 flags B.  In each: bits 3, 4 multiply the levels
//   of that row by 10 and 100, bits 5, 6 its times by 10 and 100; bit 7 of
//   flags B of a volume record: the envelope has a release part.
//   byte 2 segment shapes of row A, byte 4 of row B: two bits per segment,
//     segment i in bits 2i..2i+1 (EnvelopeShape).
//   byte 3 ignored.
//   byte 5 level velocity sensitivity, byte 6 time velocity sensitivity
//     (signed; 0 = velocity has no effect).
//   byte 7 start level (signed, on the scale of row A).
//   bytes 8..11 levels of row A, 12..15 levels of row B (signed, * 0.01).
//   bytes 16..19 times of row A, 20..23 times of row B (unsigned, ms).
// A level of 1.00 means full volume (a volume envelope multiplies the
// voice's volume by its level), one semitone up (pitch) or the right edge
// (pan; -1.00 the left edge); pitch and pan envelopes add to the voice's own.
// Row A is the part played while the voice sounds: from the start level
// through its four levels, each reached at the end of its time; the last one
// is held.  Row B is the release: from wherever the envelope is, through its
// four levels; after it the envelope has finished.
#pragma once

#include <array>
#include <cstdint>

namespace zemplay {

inline constexpr unsigned kEnvelopeRecordSize = 24;
inline constexpr unsigned kEnvelopePoints = 4;

enum class EnvelopeShape : uint8_t {
    Linear,         // even change
    Squared,        // slow start, fast end
    InverseSquared, // fast start, slow end
    Curved,         // slow at both ends (smoothstep)
};

// One row: levels in 1/100 (1.00 = 100), times in milliseconds.
struct EnvelopeRow {
    int32_t level[kEnvelopePoints];
    uint32_t time[kEnvelopePoints];
    EnvelopeShape shape[kEnvelopePoints];
};

struct EnvelopeRecord {
    bool present; // a record was given; otherwise the envelope changes nothing
    bool hasRelease;
    int8_t levelSensitivity, timeSensitivity;
    int32_t startLevel;
    EnvelopeRow rows[2]; // 0 = key-on part (A), 1 = release (B)
};

// Reads a 24-byte record.
EnvelopeRecord parseEnvelopeRecord(const uint8_t* bytes);

// Velocity factor table: 128 entries, exponential from 1/16 at 0 through 1
// at 64 to 16 at 127, as 16.16 fixed point.
extern const std::array<uint32_t, 128> kVelocityFactor;

// The table index for velocity 0..127 and a sensitivity: 64 (factor 1) at
// velocity 127 or sensitivity 0; each step of velocity below 127 moves the
// index down by sensitivity / 127 (up for a negative sensitivity).
unsigned velocityFactorIndex(unsigned velocity, int sensitivity);

enum class EnvelopePhase : uint8_t {
    Off,     // no record: the value is the envelope's neutral level
    KeyOn,   // walking row A
    Hold,    // row A done: its last level holds
    Release, // walking row B
    Forced,  // a forced release: the volume falls to 0
    Done,
};

struct EnvelopeState {
    EnvelopePhase phase;
    uint8_t segment;
    uint32_t elapsed; // ms into the segment
    int32_t from;     // level at the start of the segment
    int32_t value;    // present level, 1/100
    uint32_t forcedTime;
    EnvelopeRow rows[2]; // velocity-scaled copies of the record's rows
};

// neutral: the level of an absent envelope (100 for volume, 0 for pitch and pan).
// A record that is not present, or `enabled` false, gives phase Off.
void startEnvelope(EnvelopeState& s, const EnvelopeRecord& r, bool enabled, unsigned velocity, int32_t neutral);
// Row B from the present level; an envelope without row B (Off) stays as it is.
void releaseEnvelope(EnvelopeState& s);
// The level falls linearly from where it is to 0 over `ms` (0 = at once).
void forceRelease(EnvelopeState& s, uint32_t ms);
void stepEnvelope(EnvelopeState& s, uint32_t ms);
inline bool isEnvelopeDone(const EnvelopeState& s) { return s.phase == EnvelopePhase::Done; }

// Shaped position within a segment: 0..65536 for t of T.
uint32_t shapedFraction(EnvelopeShape shape, uint32_t t, uint32_t T);

} // namespace zemplay

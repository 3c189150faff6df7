// Value syntaxes that depend on the track state: length expressions,
// pitches and octave steps.
#pragma once

#include "track_state.h"

#include <cstdint>

namespace kvt {

// Wrapping 32-bit addition, as the text's numbers accumulate.
inline int32_t wrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// A number read as unsigned: the text's numbers are 32-bit patterns.
inline uint32_t asUnsigned(int32_t v) { return static_cast<uint32_t>(v); }

// truncate(v + 0.5) in single precision, saturated to the 32-bit range.
int32_t roundTicks(float v);

// A length expression in ticks, raised to `minimum` when below it.
int32_t readLength(TrackState& st, int32_t minimum);

// Semitone of a note letter (A..G), or -1.
int semitoneOf(uint8_t letter);

// A note command's pitch after its letter was taken: octave, key
// signature, then "+", "-", "!" signs; clamped to 0..127.
int readNotePitch(TrackState& st, uint8_t letter);

// True when c begins a pitch of chords, portamento groups and controller
// keys: an octave prefix or a note letter.
bool startsPitch(uint8_t c);
// Octave prefixes, then a note letter with its signs; clamped to 0..127.
// Anything but a note letter after the prefixes raises "Syntax error".
int readChordPitch(TrackState& st);

// One octave command whose character (O, <, >) was already taken.
void octaveCommand(TrackState& st, uint8_t c);

} // namespace kvt

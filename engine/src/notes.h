// Notes: start with gate and velocity rules, count down per tick, hold
// marks and releases.
#pragma once

#include "state.h"

#include <cstdint>

namespace zemplay {

// NOTE: key bits 0..127 before transpose, length in ticks.
void startNote(Instance& in, Track& t, unsigned keyBits, uint32_t length, bool waitAfter);
// One tick of the track's notes: expired notes without a hold mark end.
void advanceNotes(Instance& in, Track& t);
// ALL_NOTES_OFF: every note of the track, velocity 127 before scaling.
void releaseTrackNotes(Instance& in, Track& t);
// Every sounding note on a port of portMask or a channel of channelMask.
void releaseMaskedNotes(Instance& in, unsigned portMask, unsigned channelMask);
// PARAM 6 (second = false) and 7 (second = true).
void setHold(Instance& in, Track& t, bool second, bool on);

} // namespace zemplay

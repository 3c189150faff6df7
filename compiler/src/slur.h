// Slur chains and detune: one sounding note whose pitch is bent from step
// to step, and the measurement of the chain ahead that gives its gate.
#pragma once

#include "compile_context.h"

#include <cstdint>

namespace kvt {

// Bend of pitch against base in pitch-bend units, through the tuning table
// and the bend range; 0 when the range is 0; clamped to -8192..8191.
int32_t bendBetween(const TrackState& st, int pitch, int base);

// Sums the lengths of the slur chain that follows the cursor (a copy of the
// state walks ahead; nothing is written and the state is left as it was).
int64_t measureSlurChain(Parser& p);

// Writes GLIDE_RESET when the current bend is not known to be 0.
void resetBend(Parser& p);

// A step that continues the sounding note: bends it to `pitch` (or resets
// the bend when it returns to the base).
void continueSlur(Parser& p, int pitch);

// A new sounding note without waiting: resets the bend, writes NOTE with
// the gate when it differs from the last length, and makes `pitch` the
// slur base.
void startSoundingNote(Parser& p, int pitch, int64_t gate);

} // namespace kvt

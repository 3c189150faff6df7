// Musical time: units (ms) from the host's steps, ticks from the tempo
// period, the tempo slide, the bar counter and the song's start.
#pragma once

#include "state.h"

#include <cstdint>

namespace zemplay {

// Advances until count units (or ticks) are counted, the song finishes or a
// status stops it.  Returns the first nonzero answer of the start-up
// deliveries on the first call, else 0.
int advance(Instance& in, uint32_t count, uint32_t increment, bool countTicks);

// Recomputes the period from the tempo base and offset through the tempo
// modulator and reports a change.  strict: a value of 0 is error 9 (a
// tempo set in track 0) instead of becoming 1.
void updateTempo(Instance& in, bool strict);

// TEMPO and meta tempo: a new base, no offset, no slide.
void setTempo(Instance& in, unsigned track, uint32_t value);
void startTempoSlide(Instance& in, uint32_t goal, bool curved, uint32_t middle, uint32_t length);

} // namespace zemplay

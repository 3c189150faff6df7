// Timed slides of channel values and of the pitch glide, stepped once per
// tick of their track.
#pragma once

#include "state.h"

#include <cstdint>

namespace zemplay {

// The track's record for a target (number: controller or key).
Slide& slideRecord(Track& t, SlideTarget kind, unsigned number);

// Starts a slide from the record's current value to goal over length ticks
// (less the track's catch-up credit, at least 1), through middle when curved.
void startSlide(Instance& in, Track& t, Slide& s, int32_t goal, bool curved, int32_t middle, uint32_t length);
void stepSlides(Instance& in, Track& t);
// When the track runs a slide on this target at its current port and
// channel: step it once more without elapsed time (applying it only when its
// update is due), then cancel it.
void settleSlide(Instance& in, Track& t, SlideTarget kind, unsigned number);
// GLIDE_RESET: the glide stops and its offset leaves the pitch bend.
void resetGlide(Instance& in, Track& t);
// GLIDE_SET: the glide offset becomes value at once.
void setGlide(Instance& in, Track& t, int32_t value);

} // namespace zemplay

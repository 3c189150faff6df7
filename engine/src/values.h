// The four channel values that commands set, add to, commit and clear:
// controllers, pitch bend, key pressure and channel pressure.  Every setter
// works on the track's current port and channel and does nothing when that
// port does not exist.
#pragma once

#include "state.h"

#include <cstdint>

namespace zemplay {

struct ValueRef {
    int32_t* base;
    int32_t* offset;
    int32_t lo, hi;
    Modulator* modulator; // null for the pressures
};

// kind is Controller, Bend, KeyPressure or ChanPressure; number is the
// controller or key (ignored otherwise).
ValueRef valueRef(Channel& ch, SlideTarget kind, unsigned number);
void sendValue(Instance& in, unsigned track, unsigned port, unsigned channel, SlideTarget kind, unsigned number,
               bool onlyIfChanged);

void setValue(Instance& in, Track& t, SlideTarget kind, unsigned number, int32_t value);
void addValue(Instance& in, Track& t, SlideTarget kind, unsigned number, int32_t delta);
void commitValue(Instance& in, Track& t, SlideTarget kind, unsigned number);
void clearValue(Instance& in, Track& t, SlideTarget kind, unsigned number);

} // namespace zemplay

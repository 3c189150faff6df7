// Modulators: an envelope over the note gate, two oscillators, a glide and
// note-on/note-off values, added to a controller, the pitch bend, a track's
// velocities and gate, or the tempo.
#pragma once

#include "state.h"

#include <cstdint>

namespace zemplay {

void initModulator(Modulator& m, ModKind kind, unsigned track);
void stopModulatorGlide(Modulator& m);

// The modulator a MOD_SET / MOD_SWITCH target byte names for the track;
// null when its port does not exist or (after error 8) for 128..249.
Modulator* modulatorFor(Instance& in, Track& t, unsigned target);

void modSet(Instance& in, Track& t, unsigned target, unsigned parameter, int16_t value);
void modSwitch(Instance& in, Track& t, uint16_t operand);
void modOption(Instance& in, Track& t, unsigned target, unsigned bit, bool on);

// The track's note-on values (key of the new note) or note-off values (key
// of its last released note).
void applyNoteValues(Instance& in, Track& t, unsigned key, bool noteOn);

// Once per tick: every running modulator with the units since the last tick.
void stepModulators(Instance& in, uint32_t units);

} // namespace zemplay

// Level, pan, pitch, position and status of a sound's buffer, sending a
// value only when it differs from the last one sent.
#pragma once

#include "instance.h"

namespace audsink {

int32_t applyLevel(ds8_sound& sound, int32_t level);
int32_t applyPan(ds8_sound& sound, int32_t pan);
int32_t applyPitch(ds8_sound& sound, int32_t pitch);
int32_t applyPosition(ds8_sound& sound, int32_t fraction);
uint32_t soundStatus(ds8_sound& sound);

// Records the values a fresh buffer has, so that the next setters send
// whatever differs from them.
void resetSentValues(ds8_sound& sound, uint32_t baseRate);

// Starts or stops the buffer (play flags as given to the buffer).  A buffer
// that starts is recorded as playing with these flags, so that a pause can
// resume it the same way.
int32_t startBuffer(ds8_sound& sound, uint32_t flags);
void stopBuffer(ds8_sound& sound);

} // namespace audsink

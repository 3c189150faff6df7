// One-shot sounds: decoded whole into a static buffer, played, duplicated,
// positioned and freed; and pausing everything the instance plays.
#pragma once

#include "instance.h"

namespace audsink {

// Under the instance lock.
ds8_sound* loadSound(Instance& instance, const char* file, const char* decoder, intptr_t pcm, intptr_t extra);
ds8_sound* duplicateSound(Instance& instance, ds8_sound& source);
void freeSound(Instance& instance, ds8_sound* sound);
void pauseAll(Instance& instance, bool pause);

int32_t playSound(ds8_sound& sound, uint32_t flags);
void stopSound(ds8_sound& sound);

} // namespace audsink

// An instance from its creation to its destruction: the exports create it,
// slot 0 destroys it with every sound and stream it still holds.
#pragma once

#include "instance.h"

namespace audsink {

// ds8_const_utl; null when the block cannot be allocated.
ds8* createInstance(void* user, const ds8_utility* table, size_t tableLength);
// Slot 0: frees every sound and stream, closes the device, frees the block.
void destroyInstance(Instance& instance);

} // namespace audsink

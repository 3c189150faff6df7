// The operation table: each group of slots is filled by the file that
// implements it.
#pragma once

#include "audsink.h"

namespace audsink {

void fillSoundOperations(ds8& table);  // 0 to 32
void fillStreamOperations(ds8& table); // 33 to 46, 53 to 60, 63, 64
void fillQueryOperations(ds8& table);  // 47 to 52, 61, 62, 65

inline void fillOperations(ds8& table)
{
    fillSoundOperations(table);
    fillStreamOperations(table);
    fillQueryOperations(table);
}

} // namespace audsink

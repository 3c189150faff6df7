// Converting one named MIDI file into KVT text beside it.
#pragma once

#include <cstdint>

namespace mid2kvt {

// 0 when the file converted; -1 when it failed and the failure was shown
// (captioned with the input path, or the output path once it is open).
// Failures that are not about this file (out of memory, a path the file
// system cannot take) are raised on to end the run.
int32_t convertFile(const char* name);

} // namespace mid2kvt

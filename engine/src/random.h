// The engine-wide random numbers: uniform 16-bit values shared by every
// instance (not thread-safe, like the rest of one engine call).
#pragma once

#include <cstdint>

namespace zemplay {

uint16_t randomUnsigned();
inline int16_t randomSigned() { return static_cast<int16_t>(randomUnsigned()); }

} // namespace zemplay

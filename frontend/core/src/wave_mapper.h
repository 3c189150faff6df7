// The name of the default audio output device: the settings' default for
// the wave device, as the stream output library lists it.
#pragma once

#include <string>

namespace frontend {

// Empty when the system has no audio output.
std::string waveMapperName();

} // namespace frontend

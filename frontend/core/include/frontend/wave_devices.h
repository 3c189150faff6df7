// The audio output devices, by the names the stream output library knows
// them: the device dialog's list, and the settings' default wave device.
#pragma once

#include <string>
#include <vector>

namespace frontend {

// The default device's name (the "mapper").
std::string waveMapperName();
// The mapper first, then every output device; names are cut to 31
// characters.
std::vector<std::string> waveDeviceNames();

} // namespace frontend

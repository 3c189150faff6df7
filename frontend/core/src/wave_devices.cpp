#include "frontend/wave_devices.h"

#include "platform/audio.h"

namespace frontend {

std::string waveMapperName() { return platform::audioOutputDeviceName(platform::kAudioMapper); }

std::vector<std::string> waveDeviceNames()
{
    std::vector<std::string> names;
    const int count = platform::audioOutputDeviceCount();
    for (int device = platform::kAudioMapper; device < count; ++device)
        names.push_back(platform::audioOutputDeviceName(device));
    return names;
}

} // namespace frontend

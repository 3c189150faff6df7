#include "device_names.h"

#include "frontend/midi_devices.h"
#include "frontend/wave_devices.h"

namespace zemfe {

DeviceNames systemDeviceNames()
{
    DeviceNames names;
    for (const std::string& name : frontend::waveDeviceNames()) names.wave << QString::fromStdString(name);
    frontend::MidiDevices& midi = frontend::systemMidiDevices();
    for (int device = platform::kMidiMapper; device < midi.count(); ++device)
        names.midi << QString::fromStdString(midi.name(device));
    return names;
}

} // namespace zemfe

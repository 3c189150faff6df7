#include "frontend/midi_devices.h"

namespace frontend {

namespace {

class SystemMidiDevices final : public MidiDevices {
public:
    int count() override { return platform::midiOutDeviceCount(); }
    std::string name(int device) override { return platform::midiOutDeviceName(device); }
    std::unique_ptr<platform::MidiOutPort> open(int device) override { return platform::midiOutOpen(device); }
};

} // namespace

MidiDevices& systemMidiDevices()
{
    static SystemMidiDevices devices;
    return devices;
}

} // namespace frontend

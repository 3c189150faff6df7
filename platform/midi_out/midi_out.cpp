#include "platform/midi_out.h"

#include "backends.h"

#include <array>

namespace platform {

namespace {

using midi_backend::Backend;

constexpr std::array<const Backend*, 3> kBackends = {&midi_backend::kSynthBackend, &midi_backend::kSequencerBackend,
                                                     &midi_backend::kRecordingBackend};

// The backend of a device and its port index there; false when none.
bool locate(int device, const Backend*& backend, int& index)
{
    if (device < kMidiMapper) return false;
    int position = device - kMidiMapper;
    for (const Backend* b : kBackends) {
        const int count = b->portCount();
        if (position < count) {
            backend = b;
            index = position;
            return true;
        }
        position -= count;
    }
    return false;
}

} // namespace

int midiOutDeviceCount()
{
    int count = 0;
    for (const Backend* b : kBackends) count += b->portCount();
    return count - 1; // the built-in synthesizer is device -1
}

std::string midiOutDeviceName(int device)
{
    const Backend* backend = nullptr;
    int index = 0;
    if (!locate(device, backend, index)) return {};
    std::string name = backend->portName(index);
    if (name.size() > kMidiNameChars) name.resize(kMidiNameChars);
    return name;
}

std::unique_ptr<MidiOutPort> midiOutOpen(int device)
{
    const Backend* backend = nullptr;
    int index = 0;
    return locate(device, backend, index) ? backend->open(index) : nullptr;
}

int midiShortMessageLength(uint8_t status)
{
    if (status < 0x80) return 1; // a data byte alone: running status is not used here
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
    switch (status) {
    case 0xF0:
    case 0xF7: return 0;
    case 0xF1:
    case 0xF3: return 2;
    case 0xF2: return 3;
    default: return 1;
    }
}

} // namespace platform

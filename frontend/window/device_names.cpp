#include "device_names.h"

#include <frontend/midi_devices.h>

#include <SDL.h>

namespace zemfe {

namespace {

// Names are cut like the MIDI device names, to what a product name holds.
QString productName(const char* name) { return QString::fromUtf8(name).left(int(platform::kMidiNameChars)); }

QStringList audioOutputNames()
{
    QStringList names;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return names;
    char* chosen = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&chosen, &spec, 0) == 0 && chosen) {
        names << productName(chosen);
        SDL_free(chosen);
    }
    for (int i = 0; i < SDL_GetNumAudioDevices(0); ++i)
        if (const char* name = SDL_GetAudioDeviceName(i, 0)) names << productName(name);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return names;
}

} // namespace

DeviceNames systemDeviceNames()
{
    DeviceNames names;
    names.wave = audioOutputNames();
    frontend::MidiDevices& midi = frontend::systemMidiDevices();
    for (int device = platform::kMidiMapper; device < midi.count(); ++device)
        names.midi << QString::fromStdString(midi.name(device));
    return names;
}

} // namespace zemfe

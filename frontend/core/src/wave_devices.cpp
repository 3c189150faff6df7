#include "frontend/wave_devices.h"

#include <SDL.h>

namespace frontend {

namespace {

constexpr size_t kNameChars = 31;

// Runs body with SDL's audio subsystem up; false when it cannot start.
template <typename Body>
bool withAudio(Body body)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    body();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return true;
}

std::string defaultName()
{
    std::string name;
    char* chosen = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&chosen, &spec, 0) == 0 && chosen) {
        name = chosen;
        SDL_free(chosen);
    } else if (const char* first = SDL_GetAudioDeviceName(0, 0)) {
        name = first;
    }
    return name.substr(0, kNameChars);
}

} // namespace

std::string waveMapperName()
{
    std::string name;
    withAudio([&] { name = defaultName(); });
    return name;
}

std::vector<std::string> waveDeviceNames()
{
    std::vector<std::string> names;
    withAudio([&] {
        names.push_back(defaultName());
        const int count = SDL_GetNumAudioDevices(0);
        for (int i = 0; i < count; ++i)
            if (const char* name = SDL_GetAudioDeviceName(i, 0)) names.push_back(std::string(name).substr(0, kNameChars));
    });
    return names;
}

} // namespace frontend

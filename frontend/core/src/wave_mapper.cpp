#include "wave_mapper.h"

#include <SDL.h>

namespace frontend {

std::string waveMapperName()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return {};
    std::string name;
    char* chosen = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&chosen, &spec, 0) == 0 && chosen) {
        name = chosen;
        SDL_free(chosen);
    } else if (const char* first = SDL_GetAudioDeviceName(0, 0)) {
        name = first;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return name.substr(0, 31);
}

} // namespace frontend

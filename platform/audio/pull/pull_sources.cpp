#include "platform/audio_pull.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>
#include <vector>

namespace platform {
namespace {

constexpr size_t kPiece = 256;
// About 12 ms per callback, as the output's own.
constexpr Uint16 kFallbackFrames = 512;

struct Sources {
    // The list, the clock and the count of open outputs; taken by the
    // audio threads, so no device is opened or closed while it is held.
    std::mutex lock;
    int outputs = 0;
    uint64_t clock = 0;
    std::vector<AudioPullSource*> list;
    // Opening and closing the list's own device, one caller at a time.
    std::mutex fallbackLock;
    SDL_AudioDeviceID fallback = 0;
};

Sources& sources()
{
    static Sources s;
    return s;
}

// Under the lock: every source's next frames, each handed to add(offset,
// stereo piece, frames in it); the clock advances whether any sounds or not.
template <typename Add> void pullEach(Sources& s, uint32_t frames, Add add)
{
    const uint64_t start = s.clock;
    s.clock += frames;
    std::array<int16_t, 2 * kPiece> stereo;
    for (AudioPullSource* source : s.list) {
        for (uint32_t done = 0; done < frames;) {
            const auto n = static_cast<uint32_t>(std::min<size_t>(frames - done, kPiece));
            source->pull(stereo.data(), n, start + done);
            add(done, stereo.data(), n);
            done += n;
        }
    }
}

void fallbackCallback(void*, Uint8* stream, int bytes)
{
    auto* out = reinterpret_cast<int16_t*>(stream);
    const auto frames = static_cast<uint32_t>(bytes / 4);
    std::fill_n(out, 2 * frames, int16_t{0});
    Sources& s = sources();
    std::lock_guard guard(s.lock);
    pullEach(s, frames, [&](uint32_t at, const int16_t* piece, uint32_t n) {
        for (uint32_t i = 0; i < 2 * n; ++i)
            out[2 * at + i] = static_cast<int16_t>(std::clamp(out[2 * at + i] + piece[i], -32768, 32767));
    });
}

// Under fallbackLock, without the list's lock.
void closeFallback(Sources& s)
{
    if (s.fallback == 0) return;
    SDL_CloseAudioDevice(s.fallback);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.fallback = 0;
}

// Under fallbackLock, without the list's lock: opens the device when
// sources wait and no output serves them.
bool openFallbackIfNeeded(Sources& s)
{
    {
        std::lock_guard guard(s.lock);
        if (s.outputs > 0 || s.list.empty() || s.fallback != 0) return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "synthesizer: no audio: %s\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = kPullRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kFallbackFrames;
    want.callback = fallbackCallback;
    // No allowed changes: SDL converts to whatever the device wants.
    s.fallback = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (s.fallback == 0) {
        std::fprintf(stderr, "synthesizer: no audio device: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(s.fallback, 0);
    return true;
}

} // namespace

bool attachPullSource(AudioPullSource* source, uint64_t* clock)
{
    if (!source) return false;
    Sources& s = sources();
    std::lock_guard fallback(s.fallbackLock);
    {
        std::lock_guard guard(s.lock);
        s.list.push_back(source);
        if (clock) *clock = s.clock;
    }
    if (openFallbackIfNeeded(s)) return true;
    std::lock_guard guard(s.lock);
    std::erase(s.list, source);
    return false;
}

void detachPullSource(AudioPullSource* source)
{
    Sources& s = sources();
    std::lock_guard fallback(s.fallbackLock);
    bool none = false;
    {
        std::lock_guard guard(s.lock);
        std::erase(s.list, source);
        none = s.list.empty();
    }
    if (none) closeFallback(s);
}

void pullOutputOpening()
{
    Sources& s = sources();
    std::lock_guard fallback(s.fallbackLock);
    closeFallback(s);
}

void pullOutputOpened(bool opened)
{
    Sources& s = sources();
    std::lock_guard fallback(s.fallbackLock);
    if (opened) {
        std::lock_guard guard(s.lock);
        ++s.outputs;
    }
    openFallbackIfNeeded(s);
}

void pullOutputClosed()
{
    Sources& s = sources();
    std::lock_guard fallback(s.fallbackLock);
    {
        std::lock_guard guard(s.lock);
        --s.outputs;
    }
    openFallbackIfNeeded(s);
}

void mixPullSources(float* mix, uint32_t frames, uint32_t channels, uint32_t rate)
{
    Sources& s = sources();
    std::lock_guard guard(s.lock);
    if (rate != kPullRate || channels == 0 || channels > 2) {
        s.clock += frames;
        return;
    }
    pullEach(s, frames, [&](uint32_t at, const int16_t* piece, uint32_t n) {
        float* out = mix + size_t{at} * channels;
        for (uint32_t i = 0; i < n; ++i) {
            const float left = piece[2 * i] * (1.0f / 32768);
            const float right = piece[2 * i + 1] * (1.0f / 32768);
            if (channels == 1) {
                out[i] += 0.5f * (left + right);
            } else {
                out[2 * i] += left;
                out[2 * i + 1] += right;
            }
        }
    });
}

} // namespace platform

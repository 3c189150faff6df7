// Device -1: the built-in synthesizer sounding in real time through SDL2.
// Every port opened on it shares one synthesizer and one audio stream; each
// port takes the lowest free block of 16 channels.  Why a device cannot be
// opened (no SoundFont, no audio device) is told on standard error.
#include "../backends.h"
#include "platform/midi_synth.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

constexpr double kGain = 0.2;
constexpr Uint16 kAudioFrames = 512; // about 12 ms per callback
constexpr uint32_t kAllSoundOff = 120;
constexpr uint32_t kResetControllers = 121;

class SharedSynth {
public:
    static std::shared_ptr<SharedSynth> acquire();
    ~SharedSynth();

    MidiSynth& synth() { return *synth_; }
    int takePort();
    void releasePort(int port);

private:
    static void fill(void* user, Uint8* stream, int bytes);

    std::unique_ptr<MidiSynth> synth_;
    SDL_AudioDeviceID device_ = 0;
    std::mutex portsLock_;
    uint32_t portsInUse_ = 0;
};

std::mutex sharedLock;
std::weak_ptr<SharedSynth> sharedSynth;

std::shared_ptr<SharedSynth> SharedSynth::acquire()
{
    std::lock_guard guard(sharedLock);
    if (auto existing = sharedSynth.lock()) return existing;
    std::string error;
    auto shared = std::make_shared<SharedSynth>();
    shared->synth_ = MidiSynth::create(synthSoundFontPath(), kGain, &error);
    if (!shared->synth_) {
        std::fprintf(stderr, "synthesizer: %s\n", error.c_str());
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "synthesizer: no audio: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_AudioSpec want{};
    want.freq = kSynthSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kAudioFrames;
    want.callback = fill;
    want.userdata = shared.get();
    // No allowed changes: SDL converts to whatever the device wants.
    shared->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (shared->device_ == 0) {
        std::fprintf(stderr, "synthesizer: no audio device: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(shared->device_, 0);
    sharedSynth = shared;
    return shared;
}

SharedSynth::~SharedSynth()
{
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void SharedSynth::fill(void* user, Uint8* stream, int bytes)
{
    auto* self = static_cast<SharedSynth*>(user);
    self->synth_->render(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(bytes) / 4);
}

int SharedSynth::takePort()
{
    std::lock_guard guard(portsLock_);
    for (int port = 0; port < kSynthPorts; ++port) {
        if (!(portsInUse_ >> port & 1)) {
            portsInUse_ |= 1u << port;
            return port;
        }
    }
    return -1;
}

void SharedSynth::releasePort(int port)
{
    std::lock_guard guard(portsLock_);
    portsInUse_ &= ~(1u << port);
}

// A port of the shared synthesizer; keeps it alive while open.
class SynthPort final : public MidiOutPort {
public:
    SynthPort(std::shared_ptr<SharedSynth> shared, int port)
        : shared_(std::move(shared)), port_(port), messages_(synthPort(shared_->synth(), port))
    {
    }
    ~SynthPort() override
    {
        // The next port to take these channels starts from silence.
        for (uint32_t channel = 0; channel < 16; ++channel) {
            messages_->shortMessage(0xB0 | channel | kAllSoundOff << 8);
            messages_->shortMessage(0xB0 | channel | kResetControllers << 8);
        }
        shared_->releasePort(port_);
    }

    bool shortMessage(uint32_t packed) override { return messages_->shortMessage(packed); }
    bool longMessage(MidiLongMessage& message) override { return messages_->longMessage(message); }

private:
    std::shared_ptr<SharedSynth> shared_;
    int port_;
    std::unique_ptr<MidiOutPort> messages_;
};

int synthCount() { return 1; }

std::string synthName(int) { return "Built-in Synthesizer"; }

std::unique_ptr<MidiOutPort> openSynthPort(int)
{
    std::shared_ptr<SharedSynth> shared = SharedSynth::acquire();
    if (!shared) return nullptr;
    const int port = shared->takePort();
    if (port < 0) return nullptr;
    return std::make_unique<SynthPort>(std::move(shared), port);
}

} // namespace

const midi_backend::Backend midi_backend::kSynthBackend = {"synthesizer", synthCount, synthName, openSynthPort};

} // namespace platform

// Device -1: the built-in synthesizer sounding in real time through SDL2.
// Every port opened on it shares one synthesizer and one audio stream; each
// port takes the lowest free block of 16 channels.  Why a device cannot be
// opened (no SoundFont, no audio device) is told on standard error.
//
// Messages given with an audio frame wait in a queue that the audio
// callback empties between blocks of kBlockFrames, so they sound within
// 1.5 ms of their frame whatever the size of the device's buffers.
#include "../backends.h"
#include "platform/midi_synth.h"
#include "timed_queue.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

constexpr double kGain = 0.2;
constexpr Uint16 kAudioFrames = 512; // about 12 ms per callback
constexpr size_t kBlockFrames = 64;
constexpr uint32_t kAllSoundOff = 120;
constexpr uint32_t kResetControllers = 121;

class SharedSynth {
public:
    static std::shared_ptr<SharedSynth> acquire();
    ~SharedSynth();

    MidiSynth& synth() { return *synth_; }
    TimedQueue& queue() { return *queue_; }
    uint64_t framesRendered() const { return framesRendered_.load(std::memory_order_acquire); }
    int takePort();
    void releasePort(int port);

private:
    static void fill(void* user, Uint8* stream, int bytes);

    std::unique_ptr<MidiSynth> synth_;
    std::unique_ptr<TimedQueue> queue_;
    std::atomic<uint64_t> framesRendered_{0};
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
    shared->queue_ = std::make_unique<TimedQueue>(*shared->synth_);
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
    auto* out = reinterpret_cast<int16_t*>(stream);
    const size_t frames = static_cast<size_t>(bytes) / 4;
    const uint64_t start = self->framesRendered();
    for (size_t done = 0; done < frames; done += kBlockFrames) {
        const size_t n = std::min(kBlockFrames, frames - done);
        self->queue_->sendDue(start + done + n);
        self->synth_->render(out + 2 * done, n);
    }
    self->framesRendered_.store(start + frames, std::memory_order_release);
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
    SynthPort(std::shared_ptr<SharedSynth> shared, int port) : shared_(std::move(shared)), port_(port) {}
    ~SynthPort() override
    {
        // Whatever still waits goes first; then the next port to take these
        // channels starts from silence.
        shared_->queue().flush();
        for (uint32_t channel = 0; channel < 16; ++channel) {
            shared_->synth().shortMessage(port_, 0xB0 | channel | kAllSoundOff << 8);
            shared_->synth().shortMessage(port_, 0xB0 | channel | kResetControllers << 8);
        }
        shared_->releasePort(port_);
    }

    // Messages without a time still keep their order behind timed ones.
    bool shortMessage(uint32_t packed) override { return queueShort(0, packed, true); }
    bool longMessage(MidiLongMessage& message) override
    {
        if (message.data && message.length > kMaxTimedExclusive) {
            // Too long to wait in the queue: what waits goes first, early.
            shared_->queue().flush();
            shared_->synth().exclusive(port_, message.data, message.length);
            message.done = true;
            return true;
        }
        return queueLong(0, message, true);
    }

    int audioRate() const override { return kSynthSampleRate; }
    uint64_t audioFrames() const override { return shared_->framesRendered(); }
    bool isSounding() const override { return shared_->synth().hasActiveVoices(); }
    bool shortMessageAt(uint64_t frame, uint32_t packed) override
    {
        return queueShort(frame, packed, frame < audioFrames());
    }
    bool longMessageAt(uint64_t frame, MidiLongMessage& message) override
    {
        return queueLong(frame, message, frame < audioFrames());
    }

private:
    bool queueShort(uint64_t frame, uint32_t packed, bool atOnce)
    {
        TimedMessage m;
        m.frame = frame;
        m.port = port_;
        m.packed = packed;
        shared_->queue().push(m, atOnce);
        return true;
    }

    bool queueLong(uint64_t frame, MidiLongMessage& message, bool atOnce)
    {
        if (!message.data || message.length == 0 || message.length > kMaxTimedExclusive) return false;
        TimedMessage m;
        m.frame = frame;
        m.port = port_;
        m.length = message.length;
        std::memcpy(m.bytes.data(), message.data, message.length);
        shared_->queue().push(m, atOnce);
        message.done = true;
        return true;
    }

    std::shared_ptr<SharedSynth> shared_;
    int port_;
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

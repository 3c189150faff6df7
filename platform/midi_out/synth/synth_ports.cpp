// Device -1: the built-in synthesizer sounding in real time, as a source
// the process's audio output pulls from (see audio_pull.h).  Every port
// opened on it shares one synthesizer; each port takes the lowest free block
// of 16 channels.  Why a device cannot be opened (no SoundFont, no audio
// device) is told on standard error.
//
// Messages given with an audio frame wait in a queue that the audio
// callback empties between blocks of kBlockFrames, so they sound within
// 1.5 ms of their frame whatever the size of the device's buffers.
#include "../backends.h"
#include "platform/audio_pull.h"
#include "platform/midi_synth.h"
#include "timed_queue.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

constexpr double kGain = 0.2;
constexpr size_t kBlockFrames = 64;
constexpr uint32_t kAllSoundOff = 120;
constexpr uint32_t kResetControllers = 121;

class SharedSynth final : public AudioPullSource {
public:
    static std::shared_ptr<SharedSynth> acquire();
    ~SharedSynth() override;

    MidiSynth& synth() { return *synth_; }
    TimedQueue& queue() { return *queue_; }
    uint64_t framesRendered() const { return framesRendered_.load(std::memory_order_acquire); }
    int takePort();
    void releasePort(int port);

    void pull(int16_t* stereo, size_t frames, uint64_t frame) override;
    // The clock only moves on: the first pull may come before the attach
    // has told the synthesizer where the clock stood.
    void advanceClock(uint64_t frame);

private:
    std::unique_ptr<MidiSynth> synth_;
    std::unique_ptr<TimedQueue> queue_;
    std::atomic<uint64_t> framesRendered_{0};
    bool attached_ = false;
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
    // The output's clock becomes the synthesizer's: one clock for all.
    uint64_t clock = 0;
    shared->attached_ = attachPullSource(shared.get(), &clock);
    if (!shared->attached_) return nullptr;
    shared->advanceClock(clock);
    sharedSynth = shared;
    return shared;
}

SharedSynth::~SharedSynth()
{
    if (attached_) detachPullSource(this);
}

void SharedSynth::advanceClock(uint64_t frame)
{
    uint64_t seen = framesRendered_.load(std::memory_order_acquire);
    while (seen < frame && !framesRendered_.compare_exchange_weak(seen, frame, std::memory_order_acq_rel)) {}
}

void SharedSynth::pull(int16_t* stereo, size_t frames, uint64_t start)
{
    for (size_t done = 0; done < frames; done += kBlockFrames) {
        const size_t n = std::min(kBlockFrames, frames - done);
        queue_->sendDue(start + done + n);
        synth_->render(stereo + 2 * done, n);
    }
    advanceClock(start + frames);
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

// The instance block and the records on its sound list.  The public
// pointers (ds8*, ds8_sound*, ds8_stream*) are these records: the operation
// table is the instance's first member, so the instance pointer is the
// table the caller sees.
#pragma once

#include "audsink.h"
#include "conversions.h"
#include "decoder.h"
#include "device_lock.h"

#include "platform/audio.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace audsink {

class DeviceClock;
struct Instance;

enum class SoundKind { OneShot = 0, Stream = 1 };

} // namespace audsink

// One-shot sound (and the common part of a stream).
struct ds8_sound {
    audsink::Instance* owner = nullptr;
    audsink::SoundKind kind = audsink::SoundKind::OneShot;
    bool playing = false;
    bool paused = false;
    ds8_sound* prev = nullptr;
    ds8_sound* next = nullptr;
    std::unique_ptr<platform::AudioBuffer> buffer;
    int32_t level = audsink::kLevelSteps;
    int32_t lastVolume = 0;
    int32_t pan = 0;
    int32_t lastPan = 0;
    int32_t pitch = 0;
    uint32_t blockBytes = 0;
    uint32_t lengthFrames = 0;
    uint32_t baseRate = 0;
    uint32_t lastRate = 0;
    uint32_t playFlags = 0;

    virtual ~ds8_sound() = default;
};

namespace audsink {

// Deferred position, end or loop request of a stream not yet open.
struct DeferredRequest {
    enum Kind { None = 0, Frames = 1, Seconds = 2 } kind = None;
    uint64_t frames[2] = {0, 0};
    float seconds[2] = {0, 0};
};

enum class StreamState { Closed = 0, Opening = 1, Open = 2, Playing = 3, Closing = 4 };

constexpr size_t kNameBytes = 260;
constexpr int kSegments = 4;

} // namespace audsink

struct ds8_stream : ds8_sound {
    // Caller requests and the stream thread meet under this lock; the
    // thread only ever tries it.
    std::mutex stateLock;
    // Guards the buffer pointer against release while the thread fills it.
    std::mutex bufferLock;
    std::thread thread;
    std::mutex sleepLock;
    std::condition_variable wake;

    audsink::Decoder decoder;
    uint8_t* format = nullptr;

    uint32_t segmentBytes = 0;
    bool endOfData = false;
    int writeIndex = 0;
    int filledCount = 0;
    bool filled[audsink::kSegments] = {};

    bool opened = false;
    bool stopped = false;
    bool openRequest = false;
    bool closeRequest = false;
    bool playRequest = false;
    bool stopRequest = false;
    std::atomic<bool> quit{false};
    uint32_t tickMs = 0;

    uint32_t requestMs = 0;
    intptr_t requestPcm = 0;
    intptr_t requestExtra = 0;
    char requestFile[audsink::kNameBytes] = {};
    char requestDecoder[audsink::kNameBytes] = {};

    int32_t wantLevel = audsink::kLevelSteps;
    int32_t wantPan = 0;
    int32_t wantPitch = 0;

    audsink::DeferredRequest deferredPosition;
    audsink::DeferredRequest deferredEnd;
    audsink::DeferredRequest deferredLoop;

    audsink::StreamState state = audsink::StreamState::Closed;
    // The stream thread is opening a file without the state lock: no other
    // tick may start the same open.
    bool openInFlight = false;
    // On the offline device: the clock the stream ticks by and the number
    // of its next tick there.
    const audsink::DeviceClock* tickClock = nullptr;
    uint64_t nextTick = 0;
};

namespace audsink {

struct Instance : ds8 {
    void* user = nullptr;
    ds8_utility utility{};
    HostTable host;

    // Guards the sound list.
    std::mutex instanceLock;
    // Held around every call into the device and its buffers; callers may
    // take and release it from different threads (slots 18 to 20).
    DeviceLock deviceLock;

    std::unique_ptr<platform::AudioDevice> device;
    // Set while the device is the offline one: streams tick in its time,
    // not by their threads.
    std::atomic<bool> offline{false};

    // Between pause all and resume all: a stream told to play meanwhile
    // waits, paused, for the resume.
    std::atomic<bool> allPaused{false};

    ds8_sound* first = nullptr;
    ds8_sound* last = nullptr;

    ConversionTables tables;
};

inline Instance* instanceOf(ds8* self) { return static_cast<Instance*>(self); }

// The instance behind a slot's self, held under its instance lock while
// this lives; false for a null self.
class LockedInstance {
public:
    explicit LockedInstance(ds8* self) : instance_(instanceOf(self))
    {
        if (instance_) lock_ = std::unique_lock(instance_->instanceLock);
    }
    explicit operator bool() const { return instance_ != nullptr; }
    Instance& operator*() const { return *instance_; }

private:
    Instance* instance_;
    std::unique_lock<std::mutex> lock_;
};

// Sound list, under the instance lock.
void linkSound(Instance& instance, ds8_sound* sound);
void unlinkSound(Instance& instance, ds8_sound* sound);

// Records allocated through the creator's allocate and freed through its free.
template <typename Record> Record* newRecord(Instance& instance)
{
    void* block = instance.utility.allocate(instance.user, sizeof(Record));
    return block ? new (block) Record() : nullptr;
}

template <typename Record> void deleteRecord(Instance& instance, Record* record)
{
    record->~Record();
    instance.utility.free(instance.user, record);
}

} // namespace audsink

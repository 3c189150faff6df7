#include "device_clock.h"

#include "device_lock.h"
#include "stream.h"

#include <algorithm>

namespace audsink {

DeviceClock::DeviceClock(Instance& instance, std::unique_ptr<platform::OfflineAudioDevice> device)
    : instance_(instance), device_(std::move(device))
{}

platform::AudioResult DeviceClock::setPrimaryFormat(const platform::AudioFormat& format)
{
    return device_->setPrimaryFormat(format);
}

platform::AudioFormat DeviceClock::primaryFormat() const { return device_->primaryFormat(); }

platform::AudioResult DeviceClock::createBuffer(uint32_t flags, const platform::AudioFormat& format, uint32_t bytes,
                                                std::unique_ptr<platform::AudioBuffer>& buffer)
{
    return device_->createBuffer(flags, format, bytes, buffer);
}

platform::AudioResult DeviceClock::duplicateBuffer(const platform::AudioBuffer& original,
                                                   std::unique_ptr<platform::AudioBuffer>& duplicate)
{
    return device_->duplicateBuffer(original, duplicate);
}

uint64_t DeviceClock::tickFrame(uint64_t tick, uint32_t tickMs) const
{
    return tick * std::max<uint32_t>(tickMs, 1) * device_->primaryFormat().sampleRate / 1000;
}

uint64_t DeviceClock::runDueTicks()
{
    uint64_t next = UINT64_MAX;
    std::lock_guard list(instance_.instanceLock);
    for (ds8_sound* sound = instance_.first; sound; sound = sound->next) {
        if (sound->kind != SoundKind::Stream) continue;
        auto& stream = static_cast<ds8_stream&>(*sound);
        if (stream.tickClock != this) {
            // The first tick on this clock is the first one not yet past.
            stream.tickClock = this;
            const uint64_t perTick = uint64_t{std::max<uint32_t>(stream.tickMs, 1)} * primaryFormat().sampleRate;
            stream.nextTick = perTick ? rendered_ * 1000 / perTick : 0;
            while (tickFrame(stream.nextTick, stream.tickMs) < rendered_) ++stream.nextTick;
        }
        while (tickFrame(stream.nextTick, stream.tickMs) <= rendered_) {
            std::lock_guard state(stream.stateLock);
            tickStream(stream);
            ++stream.nextTick;
        }
        next = std::min(next, tickFrame(stream.nextTick, stream.tickMs));
    }
    return next;
}

void DeviceClock::render(void* out, uint32_t frames)
{
    auto* bytes = static_cast<uint8_t*>(out);
    const uint32_t block = device_->primaryFormat().blockBytes();
    while (frames > 0) {
        const uint64_t next = runDueTicks();
        const auto n = static_cast<uint32_t>(std::min<uint64_t>(frames, next - rendered_));
        {
            DeviceCall call(instance_.deviceLock);
            device_->render(bytes, n);
        }
        bytes += uint64_t{n} * block;
        rendered_ += n;
        frames -= n;
    }
}

} // namespace audsink

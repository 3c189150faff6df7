// The offline device as the instance hands it out: rendering advances its
// clock, and every stream tick that falls inside the rendered frames runs
// at its exact frame, on the rendering thread.
#pragma once

#include "platform/audio.h"

#include <memory>

namespace audsink {

struct Instance;

class DeviceClock final : public platform::OfflineAudioDevice {
public:
    DeviceClock(Instance& instance, std::unique_ptr<platform::OfflineAudioDevice> device);

    platform::AudioResult setPrimaryFormat(const platform::AudioFormat& format) override;
    platform::AudioFormat primaryFormat() const override;
    platform::AudioResult createBuffer(uint32_t flags, const platform::AudioFormat& format, uint32_t bytes,
                                       std::unique_ptr<platform::AudioBuffer>& buffer) override;
    platform::AudioResult duplicateBuffer(const platform::AudioBuffer& original,
                                          std::unique_ptr<platform::AudioBuffer>& duplicate) override;
    void render(void* out, uint32_t frames) override;

    uint64_t framesRendered() const { return rendered_; }
    // Device frame of tick number `tick` of a stream ticking every tickMs.
    uint64_t tickFrame(uint64_t tick, uint32_t tickMs) const;

private:
    // Runs the ticks due at the current frame; returns the frame of the
    // next tick of any stream (or UINT64_MAX).
    uint64_t runDueTicks();

    Instance& instance_;
    std::unique_ptr<platform::OfflineAudioDevice> device_;
    uint64_t rendered_ = 0;
};

} // namespace audsink

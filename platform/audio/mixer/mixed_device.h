// The device half every backend shares: the primary format, creating and
// duplicating buffers.  A backend adds its clock and applyPrimaryFormat().
#pragma once

#include "mixer.h"
#include "platform/audio.h"

#include <memory>
#include <mutex>

namespace platform::audio {

AudioResult createMixedBuffer(const std::shared_ptr<Mixer>& mixer, uint32_t flags, const AudioFormat& format,
                              uint32_t bytes, std::unique_ptr<AudioBuffer>& buffer);
AudioResult duplicateMixedBuffer(const std::shared_ptr<Mixer>& mixer, const AudioBuffer& original,
                                 std::unique_ptr<AudioBuffer>& duplicate);

template <class Interface> class MixedDevice : public Interface {
public:
    AudioResult setPrimaryFormat(const AudioFormat& format) override
    {
        return format.isValid() ? applyPrimaryFormat(format) : kAudioInvalidArgument;
    }
    AudioFormat primaryFormat() const override
    {
        std::lock_guard lock(mixer_->mutex());
        return mixer_->format();
    }
    AudioResult createBuffer(uint32_t flags, const AudioFormat& format, uint32_t bytes,
                             std::unique_ptr<AudioBuffer>& buffer) override
    {
        return createMixedBuffer(mixer_, flags, format, bytes, buffer);
    }
    AudioResult duplicateBuffer(const AudioBuffer& original, std::unique_ptr<AudioBuffer>& duplicate) override
    {
        return duplicateMixedBuffer(mixer_, original, duplicate);
    }

protected:
    MixedDevice() : mixer_(std::make_shared<Mixer>(AudioFormat{})) {}
    // format is valid; the backend switches its output to it.
    virtual AudioResult applyPrimaryFormat(const AudioFormat& format) = 0;

    const std::shared_ptr<Mixer> mixer_;
};

} // namespace platform::audio

// Offline backend: the caller's render() calls are the clock.
#include "../mixer/mixed_device.h"

namespace platform {

namespace {

class OfflineDevice final : public audio::MixedDevice<OfflineAudioDevice> {
public:
    ~OfflineDevice() override { mixer_->close(); }

    void render(void* out, uint32_t frames) override { mixer_->render(static_cast<uint8_t*>(out), frames); }

private:
    AudioResult applyPrimaryFormat(const AudioFormat& format) override
    {
        std::lock_guard lock(mixer_->mutex());
        mixer_->setFormat(format);
        return kAudioOk;
    }
};

} // namespace

std::unique_ptr<OfflineAudioDevice> openOfflineAudioDevice() { return std::make_unique<OfflineDevice>(); }

} // namespace platform

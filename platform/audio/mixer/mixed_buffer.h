// A secondary buffer of the software mixer.
#pragma once

#include "mixer.h"
#include "platform/audio.h"
#include "voice.h"

#include <memory>

namespace platform::audio {

class MixedBuffer final : public AudioBuffer {
public:
    MixedBuffer(std::shared_ptr<Mixer> mixer, std::shared_ptr<Voice> voice);
    ~MixedBuffer() override;

    AudioResult lock(uint32_t offset, uint32_t bytes, AudioLockedRegion& region, uint32_t flags) override;
    AudioResult unlock(uint8_t* first, uint32_t firstBytes, uint8_t* second, uint32_t secondBytes) override;
    AudioResult play(uint32_t flags) override;
    AudioResult stop() override;
    AudioResult getCurrentPosition(uint32_t* play, uint32_t* write) const override;
    AudioResult setCurrentPosition(uint32_t offset) override;
    AudioResult setVolume(int32_t volume) override;
    AudioResult getVolume(int32_t& volume) const override;
    AudioResult setPan(int32_t pan) override;
    AudioResult getPan(int32_t& pan) const override;
    AudioResult setFrequency(uint32_t frequency) override;
    AudioResult getFrequency(uint32_t& frequency) const override;
    AudioResult getStatus(uint32_t& status) const override;
    AudioFormat format() const override { return voice_->format; }
    uint32_t bytes() const override { return voice_->data->size; }

    const std::shared_ptr<Mixer>& mixer() const { return mixer_; }
    const std::shared_ptr<Voice>& voice() const { return voice_; }

private:
    // Runs body(control) under the mixer's mutex while the device is open.
    template <class Body> AudioResult whileOpen(Body&& body) const;
    // One of the controls chosen at creation (flag kAudioBufferCtrl*), which
    // a buffer created without it refuses; a value set must lie in low..high.
    template <class T> AudioResult setControl(uint32_t flag, T VoiceControl::*field, T value, T low, T high);
    template <class T> AudioResult getControl(uint32_t flag, T VoiceControl::*field, T& value) const;
    uint32_t writeCursorFrames() const;

    std::shared_ptr<Mixer> mixer_;
    std::shared_ptr<Voice> voice_;
};

} // namespace platform::audio

#include "mixed_buffer.h"

namespace platform::audio {

namespace {

constexpr uint32_t kPlayFlags = kAudioPlayLooping | kAudioPlayTerminateByTime;

} // namespace

MixedBuffer::MixedBuffer(std::shared_ptr<Mixer> mixer, std::shared_ptr<Voice> voice)
    : mixer_(std::move(mixer)), voice_(std::move(voice))
{}

MixedBuffer::~MixedBuffer()
{
    std::lock_guard lock(mixer_->mutex());
    voice_->control.playing = false;
    mixer_->remove(*voice_);
}

template <class Body> AudioResult MixedBuffer::whileOpen(Body&& body) const
{
    std::lock_guard lock(mixer_->mutex());
    if (voice_->control.lost) return kAudioInvalidCall;
    return body(voice_->control);
}

uint32_t MixedBuffer::writeCursorFrames() const
{
    const VoiceControl& control = voice_->control;
    if (!control.playing) return control.positionFrames;
    return static_cast<uint32_t>((uint64_t{control.positionFrames} + mixer_->readAheadFrames(*voice_)) %
                                 voice_->frames());
}

AudioResult MixedBuffer::lock(uint32_t offset, uint32_t bytes, AudioLockedRegion& region, uint32_t flags)
{
    region = AudioLockedRegion{};
    return whileOpen([&](VoiceControl&) {
        const uint32_t size = voice_->data->size;
        if (flags & ~(kAudioLockFromWriteCursor | kAudioLockEntireBuffer)) return kAudioInvalidArgument;
        if (flags & kAudioLockFromWriteCursor) offset = writeCursorFrames() * voice_->format.blockBytes();
        if (flags & kAudioLockEntireBuffer) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return kAudioInvalidArgument;
        uint8_t* base = voice_->data->bytes.get();
        region.first = base + offset;
        region.firstBytes = std::min(bytes, size - offset);
        if (bytes > region.firstBytes) {
            region.second = base;
            region.secondBytes = bytes - region.firstBytes;
        }
        return kAudioOk;
    });
}

AudioResult MixedBuffer::unlock(uint8_t* first, uint32_t firstBytes, uint8_t* second, uint32_t secondBytes)
{
    // Taking the mutex is what hands the written bytes to the mixer.
    return whileOpen([&](VoiceControl&) {
        const uint8_t* base = voice_->data->bytes.get();
        const uint32_t size = voice_->data->size;
        if (first < base || first >= base + size) return kAudioInvalidArgument;
        if (firstBytes > size - static_cast<uint32_t>(first - base)) return kAudioInvalidArgument;
        if (second != nullptr && (second != base || secondBytes > size)) return kAudioInvalidArgument;
        return kAudioOk;
    });
}

AudioResult MixedBuffer::play(uint32_t flags)
{
    return whileOpen([&](VoiceControl& control) {
        if (flags & ~kPlayFlags) return kAudioInvalidArgument;
        if ((flags & kAudioPlayTerminateByTime) && !(voice_->flags & kAudioBufferLocDefer))
            return kAudioInvalidArgument;
        if (!control.playing) {
            control.playing = true;
            ++control.positionGeneration;
        }
        control.looping = (flags & kAudioPlayLooping) != 0;
        return kAudioOk;
    });
}

AudioResult MixedBuffer::stop()
{
    return whileOpen([&](VoiceControl& control) {
        control.playing = false;
        return kAudioOk;
    });
}

AudioResult MixedBuffer::getCurrentPosition(uint32_t* play, uint32_t* write) const
{
    return whileOpen([&](VoiceControl& control) {
        const uint32_t block = voice_->format.blockBytes();
        if (play) *play = control.positionFrames * block;
        if (write) *write = writeCursorFrames() * block;
        return kAudioOk;
    });
}

AudioResult MixedBuffer::setCurrentPosition(uint32_t offset)
{
    return whileOpen([&](VoiceControl& control) {
        if (offset >= voice_->data->size) return kAudioInvalidArgument;
        control.positionFrames = offset / voice_->format.blockBytes();
        ++control.positionGeneration;
        return kAudioOk;
    });
}

template <class T> AudioResult MixedBuffer::setControl(uint32_t flag, T VoiceControl::*field, T value, T low, T high)
{
    return whileOpen([&](VoiceControl& control) {
        if (!(voice_->flags & flag)) return kAudioInvalidCall;
        if (value < low || value > high) return kAudioInvalidArgument;
        control.*field = value;
        return kAudioOk;
    });
}

template <class T> AudioResult MixedBuffer::getControl(uint32_t flag, T VoiceControl::*field, T& value) const
{
    return whileOpen([&](VoiceControl& control) {
        if (!(voice_->flags & flag)) return kAudioInvalidCall;
        value = control.*field;
        return kAudioOk;
    });
}

AudioResult MixedBuffer::setVolume(int32_t volume)
{
    return setControl(kAudioBufferCtrlVolume, &VoiceControl::volume, volume, kAudioVolumeMin, kAudioVolumeMax);
}

AudioResult MixedBuffer::getVolume(int32_t& volume) const
{
    return getControl(kAudioBufferCtrlVolume, &VoiceControl::volume, volume);
}

AudioResult MixedBuffer::setPan(int32_t pan)
{
    return setControl(kAudioBufferCtrlPan, &VoiceControl::pan, pan, kAudioPanLeft, kAudioPanRight);
}

AudioResult MixedBuffer::getPan(int32_t& pan) const { return getControl(kAudioBufferCtrlPan, &VoiceControl::pan, pan); }

AudioResult MixedBuffer::setFrequency(uint32_t frequency)
{
    // The format's rate is fixed at creation, so it needs no lock.
    if (frequency == kAudioFrequencyOriginal) frequency = voice_->format.sampleRate;
    return setControl(kAudioBufferCtrlFrequency, &VoiceControl::frequency, frequency, kAudioFrequencyMin,
                      kAudioFrequencyMax);
}

AudioResult MixedBuffer::getFrequency(uint32_t& frequency) const
{
    return getControl(kAudioBufferCtrlFrequency, &VoiceControl::frequency, frequency);
}

AudioResult MixedBuffer::getStatus(uint32_t& status) const
{
    std::lock_guard lock(mixer_->mutex());
    const VoiceControl& control = voice_->control;
    status = 0;
    if (control.lost) status = kAudioStatusBufferLost;
    if (control.playing) status = kAudioStatusPlaying | (control.looping ? kAudioStatusLooping : 0);
    return kAudioOk;
}

} // namespace platform::audio

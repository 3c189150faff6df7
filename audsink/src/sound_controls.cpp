#include "sound_controls.h"

#include "device_lock.h"

#include <algorithm>

namespace audsink {

namespace {

// Keeps the requested value and sends its device value through the buffer
// only when that differs from the last one sent.
template <typename Sent, typename Convert>
int32_t applyControl(ds8_sound& sound, int32_t value, int32_t& kept, Sent& lastSent, Convert toDevice,
                     platform::AudioResult (platform::AudioBuffer::*send)(Sent))
{
    if (!sound.buffer) return DS8_ERR_INVALID_CALL;
    if (value == kept) return DS8_OK;
    kept = value;
    const Sent sent = toDevice(value);
    if (sent == lastSent) return DS8_OK;
    DeviceCall call(sound.owner->deviceLock);
    auto result = static_cast<int32_t>((sound.buffer.get()->*send)(sent));
    if (result == DS8_OK) lastSent = sent;
    return result;
}

} // namespace

int32_t applyLevel(ds8_sound& sound, int32_t level)
{
    return applyControl(
        sound, clampLevel(level), sound.level, sound.lastVolume,
        [&](int32_t value) { return levelToVolume(sound.owner->tables, value); }, &platform::AudioBuffer::setVolume);
}

int32_t applyPan(ds8_sound& sound, int32_t pan)
{
    return applyControl(
        sound, clampPan(pan), sound.pan, sound.lastPan,
        [&](int32_t value) { return panToValue(sound.owner->tables, value); }, &platform::AudioBuffer::setPan);
}

int32_t applyPitch(ds8_sound& sound, int32_t pitch)
{
    return applyControl(
        sound, clampPitch(pitch), sound.pitch, sound.lastRate,
        [&](int32_t value) { return pitchToRate(sound.owner->tables, sound.baseRate, value); },
        &platform::AudioBuffer::setFrequency);
}

int32_t applyPosition(ds8_sound& sound, int32_t fraction)
{
    if (!sound.buffer) return DS8_ERR_INVALID_CALL;
    fraction = std::clamp(fraction, 0, DS8_POSITION_MAX);
    // The end of the sound is its last frame: a buffer position must lie
    // inside the buffer.
    uint64_t frame = uint64_t{sound.lengthFrames} * static_cast<uint32_t>(fraction) / DS8_POSITION_MAX;
    if (sound.lengthFrames > 0) frame = std::min<uint64_t>(frame, sound.lengthFrames - 1);
    DeviceCall call(sound.owner->deviceLock);
    return static_cast<int32_t>(sound.buffer->setCurrentPosition(static_cast<uint32_t>(frame * sound.blockBytes)));
}

uint32_t soundStatus(ds8_sound& sound)
{
    if (!sound.buffer) return DS8_STATUS_FAILED;
    uint32_t status = 0;
    DeviceCall call(sound.owner->deviceLock);
    if (!sound.owner->device || sound.buffer->getStatus(status) != platform::kAudioOk) return DS8_STATUS_FAILED;
    uint32_t bits = 0;
    if (status & platform::kAudioStatusPlaying) bits |= DS8_STATUS_PLAYING;
    if (status & platform::kAudioStatusLooping) bits |= DS8_STATUS_LOOPING;
    if (status & platform::kAudioStatusTerminated) bits |= DS8_STATUS_TERMINATED;
    if (status & platform::kAudioStatusBufferLost) bits |= DS8_STATUS_LOST;
    return bits;
}

void resetSentValues(ds8_sound& sound, uint32_t baseRate)
{
    sound.level = kLevelSteps;
    sound.lastVolume = 0;
    sound.pan = 0;
    sound.lastPan = 0;
    sound.pitch = 0;
    sound.baseRate = baseRate;
    sound.lastRate = baseRate;
}

int32_t startBuffer(ds8_sound& sound, uint32_t flags)
{
    if (!sound.buffer) return DS8_ERR_INVALID_CALL;
    DeviceCall call(sound.owner->deviceLock);
    const auto result = static_cast<int32_t>(sound.buffer->play(flags));
    if (result == DS8_OK) {
        sound.playFlags = flags;
        sound.playing = true;
    }
    return result;
}

void stopBuffer(ds8_sound& sound)
{
    if (!sound.buffer) return;
    DeviceCall call(sound.owner->deviceLock);
    sound.buffer->stop();
}

} // namespace audsink

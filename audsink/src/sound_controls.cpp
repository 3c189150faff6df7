#include "sound_controls.h"

#include "device.h"

#include <algorithm>

namespace audsink {

int32_t applyLevel(ds8_sound& sound, int32_t level)
{
    level = clampLevel(level);
    if (!sound.buffer) return DS8_ERR_INVALID_CALL;
    if (level == sound.level) return DS8_OK;
    sound.level = level;
    const int32_t volume = levelToVolume(sound.owner->tables, level);
    if (volume == sound.lastVolume) return DS8_OK;
    DeviceCall call(*sound.owner);
    auto result = static_cast<int32_t>(sound.buffer->setVolume(volume));
    if (result == DS8_OK) sound.lastVolume = volume;
    return result;
}

int32_t applyPan(ds8_sound& sound, int32_t pan)
{
    pan = clampPan(pan);
    if (!sound.buffer) return DS8_ERR_INVALID_CALL;
    if (pan == sound.pan) return DS8_OK;
    sound.pan = pan;
    const int32_t value = panToValue(sound.owner->tables, pan);
    if (value == sound.lastPan) return DS8_OK;
    DeviceCall call(*sound.owner);
    auto result = static_cast<int32_t>(sound.buffer->setPan(value));
    if (result == DS8_OK) sound.lastPan = value;
    return result;
}

int32_t applyPitch(ds8_sound& sound, int32_t pitch)
{
    pitch = clampPitch(pitch);
    if (!sound.buffer) return DS8_ERR_INVALID_CALL;
    if (pitch == sound.pitch) return DS8_OK;
    sound.pitch = pitch;
    const uint32_t rate = pitchToRate(sound.owner->tables, sound.baseRate, pitch);
    if (rate == sound.lastRate) return DS8_OK;
    DeviceCall call(*sound.owner);
    auto result = static_cast<int32_t>(sound.buffer->setFrequency(rate));
    if (result == DS8_OK) sound.lastRate = rate;
    return result;
}

int32_t applyPosition(ds8_sound& sound, int32_t fraction)
{
    if (!sound.buffer) return DS8_ERR_INVALID_CALL;
    fraction = std::clamp(fraction, 0, DS8_POSITION_MAX);
    // The end of the sound is its last frame: a buffer position must lie
    // inside the buffer.
    uint64_t frame = uint64_t{sound.lengthFrames} * static_cast<uint32_t>(fraction) / DS8_POSITION_MAX;
    if (sound.lengthFrames > 0) frame = std::min<uint64_t>(frame, sound.lengthFrames - 1);
    DeviceCall call(*sound.owner);
    return static_cast<int32_t>(sound.buffer->setCurrentPosition(static_cast<uint32_t>(frame * sound.blockBytes)));
}

uint32_t soundStatus(ds8_sound& sound)
{
    if (!sound.buffer) return DS8_STATUS_FAILED;
    uint32_t status = 0;
    DeviceCall call(*sound.owner);
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
    DeviceCall call(*sound.owner);
    return static_cast<int32_t>(sound.buffer->play(flags));
}

void stopBuffer(ds8_sound& sound)
{
    if (!sound.buffer) return;
    DeviceCall call(*sound.owner);
    sound.buffer->stop();
}

} // namespace audsink

#include "audsink_sound.h"

#include "platform/audio.h"

#include <algorithm>
#include <cctype>

namespace zem2wav {

namespace {

// The front-end's stream buffer length and stream tick, the tick made as
// fine as the song's own time so that requests land within a millisecond.
constexpr uint32_t kStreamBufferMs = 200;
constexpr uint32_t kStreamTickMs = 1;
// A score waiting this long for a stream (one that loops for ever, or one
// opened and never played) goes on as if the wait were over.
constexpr uint64_t kMaxSyncWaitMs = 60000;
constexpr uint64_t kNotWaiting = UINT64_MAX;

int resultBit(int32_t result) { return result == DS8_OK ? 0 : 1; }

} // namespace

std::string soundPath(const std::string& folder, const std::string& name)
{
    if (!name.empty() && name.front() == '/') return name;
    return folder.empty() ? name : folder + "/" + name;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string decoderFor(const std::string& name)
{
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    std::string extension;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return "qz" + extension + ".so";
}

AudsinkSound::AudsinkSound(OfflineRenderer& renderer, std::string pieceFolder)
    : clock_(renderer), folder_(std::move(pieceFolder))
{
    waitingSince_.fill(kNotWaiting);
}

AudsinkSound::~AudsinkSound()
{
    if (ds_) ds_->destroy(ds_);
}

bool AudsinkSound::ready()
{
    if (ds_ || failed_) return ds_ != nullptr;
    ds_ = ds8_const(nullptr, nullptr, nullptr);
    if (ds_ && ds_->open_device(ds_, DS8_OFFLINE_DEVICE, 2, 16, platform::kSynthSampleRate, nullptr, 2) == DS8_OK) {
        for (auto& stream : streams_) stream = ds_->stream_create(ds_, kStreamTickMs);
        return true;
    }
    if (ds_) ds_->destroy(ds_);
    ds_ = nullptr;
    failed_ = true;
    return false;
}

void AudsinkSound::mixInto(int16_t* stereo, size_t frames)
{
    if (!ds_) return;
    auto& device =
        *static_cast<platform::OfflineAudioDevice*>(static_cast<platform::AudioDevice*>(ds_->device_object(ds_)));
    mix_.resize(2 * frames);
    device.render(mix_.data(), static_cast<uint32_t>(frames));
    for (size_t i = 0; i < 2 * frames; ++i)
        stereo[i] = static_cast<int16_t>(std::clamp(int{stereo[i]} + int{mix_[i]}, -32768, 32767));
}

ds8_sound* AudsinkSound::sound(uintptr_t handle)
{
    clock_.beforeMessage();
    return ds_ ? reinterpret_cast<ds8_sound*>(handle) : nullptr;
}

uintptr_t AudsinkSound::loadSample(int, const char* name, uint32_t param1, uint32_t param2)
{
    clock_.beforeMessage();
    if (!name || !ready()) return 0;
    const std::string path = soundPath(folder_, name);
    return reinterpret_cast<uintptr_t>(
        ds_->sound_load(ds_, path.c_str(), decoderFor(name).c_str(), intptr_t(param1), intptr_t(param2)));
}

void AudsinkSound::freeSample(uintptr_t handle)
{
    if (ds8_sound* s = sound(handle)) ds_->sound_free(s);
}

void AudsinkSound::startVoice(uintptr_t handle, int loop)
{
    if (ds8_sound* s = sound(handle)) ds_->sound_play(s, loop ? DS8_PLAY_LOOP : 0);
}

void AudsinkSound::stopVoice(uintptr_t handle)
{
    if (ds8_sound* s = sound(handle)) ds_->sound_stop(s);
}

int AudsinkSound::voiceVolume(uintptr_t handle, int volume)
{
    ds8_sound* s = sound(handle);
    return s ? resultBit(ds_->sound_level(s, volume)) : 1;
}

int AudsinkSound::voicePan(uintptr_t handle, int pan)
{
    ds8_sound* s = sound(handle);
    return s ? resultBit(ds_->sound_pan(s, pan)) : 1;
}

int AudsinkSound::voicePitch(uintptr_t handle, int pitch)
{
    ds8_sound* s = sound(handle);
    return s ? resultBit(ds_->sound_pitch(s, pitch)) : 1;
}

uintptr_t AudsinkSound::duplicateSample(uintptr_t handle)
{
    ds8_sound* s = sound(handle);
    return s ? reinterpret_cast<uintptr_t>(ds_->sound_duplicate(s)) : 0;
}

void AudsinkSound::voiceStartPosition(uintptr_t handle, int fraction)
{
    if (ds8_sound* s = sound(handle)) ds_->sound_position(s, fraction);
}

int AudsinkSound::voicePlaying(uintptr_t handle)
{
    ds8_sound* s = sound(handle);
    return s ? int(ds_->sound_status(s)) : int(DS8_STATUS_FAILED);
}

ds8_stream* AudsinkSound::streamAt(int slot)
{
    clock_.beforeMessage();
    if (slot < 0 || slot >= int(streams_.size()) || !ready()) return nullptr;
    return streams_[size_t(slot)];
}

void AudsinkSound::streamOpen(int slot, const char* name, uint32_t param1, uint32_t param2)
{
    ds8_stream* s = streamAt(slot);
    if (!s || !name) return;
    const std::string path = soundPath(folder_, name);
    ds_->stream_request_open(s, path.c_str(), decoderFor(name).c_str(), kStreamBufferMs, intptr_t(param1),
                             intptr_t(param2));
}

void AudsinkSound::streamClose(int slot)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_request_close(s);
}

int AudsinkSound::streamPlay(int slot)
{
    ds8_stream* s = streamAt(slot);
    if (!s) return 1;
    ds_->stream_play(s);
    return 0;
}

void AudsinkSound::streamStop(int slot)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_stop(s);
}

int AudsinkSound::streamVolume(int slot, int volume)
{
    ds8_stream* s = streamAt(slot);
    return s ? resultBit(ds_->stream_level(s, volume)) : 1;
}

int AudsinkSound::streamPan(int slot, int pan)
{
    ds8_stream* s = streamAt(slot);
    return s ? resultBit(ds_->stream_pan(s, pan)) : 1;
}

int AudsinkSound::streamPitch(int slot, int pitch)
{
    ds8_stream* s = streamAt(slot);
    return s ? resultBit(ds_->stream_pitch(s, pitch)) : 1;
}

int AudsinkSound::streamSync(int slot, int wanted)
{
    ds8_stream* s = streamAt(slot);
    if (!s || wanted < 0 || wanted > 1) return 0;
    const bool stopped = ds_->stream_is_stopped(s) != 0;
    // A stream that is neither open nor asked to open (its open failed)
    // will not open later.
    const bool met = wanted == 0 ? ds_->stream_is_open(s) || stopped : stopped;
    uint64_t& since = waitingSince_[size_t(slot)];
    if (met) {
        since = kNotWaiting;
        return 0;
    }
    if (since == kNotWaiting) since = clock_.units();
    return clock_.units() - since < kMaxSyncWaitMs ? 1 : 0;
}

void AudsinkSound::streamPosition(int slot, uint32_t low, uint32_t high)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_set_position(s, low, high);
}

void AudsinkSound::streamPositionSeconds(int slot, float seconds)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_set_position_seconds(s, seconds);
}

void AudsinkSound::streamLoopEnd(int slot, uint32_t low, uint32_t high)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_set_end(s, low, high);
}

void AudsinkSound::streamLoopEndSeconds(int slot, float seconds)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_set_end_seconds(s, seconds);
}

void AudsinkSound::streamLoop(int slot, uint32_t startLow, uint32_t startHigh, uint32_t endLow, uint32_t endHigh)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_set_loop(s, startLow, startHigh, endLow, endHigh);
}

void AudsinkSound::streamLoopSeconds(int slot, float start, float end)
{
    if (ds8_stream* s = streamAt(slot)) ds_->stream_set_loop_seconds(s, start, end);
}

} // namespace zem2wav

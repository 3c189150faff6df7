#include "sound_bridge.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace frontend {

namespace {

void* allocateZeroed(void*, size_t size) { return std::calloc(1, size); }
void releaseBlock(void*, void* block) { std::free(block); }

ds8_sound* sound(uintptr_t handle) { return reinterpret_cast<ds8_sound*>(handle); }
int zeroOrOne(int32_t result) { return result == 0 ? 0 : 1; }

constexpr int kDeviceChannels = 2;
constexpr int kDeviceBits = 16;
constexpr int kDeviceRate = 44100;
constexpr int kCooperativeLevel = 2;

} // namespace

std::optional<DecoderChoice> decoderChoice(const std::string& name)
{
    const size_t slash = name.rfind('/');
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    const size_t dot = last.rfind('.');
    if (dot == std::string::npos || dot + 1 == last.size()) return std::nullopt;
    DecoderChoice choice;
    std::string lowerExtension;
    for (size_t i = dot + 1; i < last.size(); ++i) {
        const auto c = static_cast<unsigned char>(last[i]);
        // Anything but letters and digits could make the decoder name a
        // path of its own choosing, or break the settings file.
        if (!std::isalnum(c) || c >= 0x80) return std::nullopt;
        lowerExtension += static_cast<char>(std::tolower(c));
        choice.upperExtension += static_cast<char>(std::toupper(c));
    }
    choice.defaultName = "qz" + lowerExtension + ".so";
    return choice;
}

SoundBridge::CreateResult SoundBridge::create(const AudsinkEntries& entries, void* user)
{
    if (!entries.present()) return CreateResult::NoInstance;
    instance_ = entries.construct(user, allocateZeroed, releaseBlock);
    if (!instance_) return CreateResult::NoInstance;
    for (auto& s : streams_) {
        s = instance_->stream_create(instance_, kStreamTickMs);
        if (!s) {
            destroy();
            return CreateResult::NoStream;
        }
    }
    return CreateResult::Created;
}

void SoundBridge::destroy()
{
    if (!instance_) return;
    for (auto& s : streams_) {
        if (s) instance_->stream_destroy(s);
        s = nullptr;
    }
    instance_->close_device(instance_);
    instance_->destroy(instance_);
    instance_ = nullptr;
}

void SoundBridge::openDevice(const std::string& name)
{
    if (instance_ && !name.empty())
        instance_->open_device(instance_, name.c_str(), kDeviceChannels, kDeviceBits, kDeviceRate, nullptr,
                               kCooperativeLevel);
}

void SoundBridge::closeDevice()
{
    if (instance_) instance_->close_device(instance_);
}

void SoundBridge::pauseAll(bool pause)
{
    if (instance_) instance_->pause_all(instance_, pause ? 1 : 0);
}

void SoundBridge::closeAllStreams()
{
    for (int slot = 0; slot < kStreamSlots; ++slot) streamClose(slot);
}

std::string SoundBridge::filePath(const std::string& name) const
{
    return !name.empty() && name[0] == '/' ? name : pieceFolder_ + "/" + name;
}

uintptr_t SoundBridge::loadSample(const char* name, uint32_t param1, uint32_t param2)
{
    if (!instance_ || !name) return 0;
    const auto choice = decoderChoice(name);
    if (!choice) return 0;
    const std::string decoder = decoder_(choice->upperExtension, choice->defaultName);
    return reinterpret_cast<uintptr_t>(
        instance_->sound_load(instance_, filePath(name).c_str(), decoder.c_str(), intptr_t(param1), intptr_t(param2)));
}

void SoundBridge::freeSample(uintptr_t handle)
{
    if (instance_ && handle) instance_->sound_free(sound(handle));
}

int SoundBridge::startVoice(uintptr_t handle, int loop)
{
    if (!instance_ || !handle) return 1;
    return zeroOrOne(instance_->sound_play(sound(handle), loop & 1));
}

void SoundBridge::stopVoice(uintptr_t handle)
{
    if (instance_ && handle) instance_->sound_stop(sound(handle));
}

int SoundBridge::voiceVolume(uintptr_t handle, int value)
{
    return instance_ && handle ? zeroOrOne(instance_->sound_level(sound(handle), value)) : 1;
}

int SoundBridge::voicePan(uintptr_t handle, int value)
{
    return instance_ && handle ? zeroOrOne(instance_->sound_pan(sound(handle), value)) : 1;
}

int SoundBridge::voicePitch(uintptr_t handle, int value)
{
    return instance_ && handle ? zeroOrOne(instance_->sound_pitch(sound(handle), value)) : 1;
}

uintptr_t SoundBridge::duplicateSample(uintptr_t handle)
{
    if (!instance_ || !handle) return 0;
    return reinterpret_cast<uintptr_t>(instance_->sound_duplicate(sound(handle)));
}

int SoundBridge::voiceStartPosition(uintptr_t handle, int fraction)
{
    return instance_ && handle ? zeroOrOne(instance_->sound_position(sound(handle), fraction)) : 1;
}

int SoundBridge::voicePlaying(uintptr_t handle)
{
    return instance_ && handle ? static_cast<int>(instance_->sound_status(sound(handle))) : 16;
}

ds8_stream* SoundBridge::stream(int slot, const char* request)
{
    if (!instance_) return nullptr;
    if (slot < 0 || slot >= kStreamSlots) {
        if (request) {
            char text[64];
            std::snprintf(text, sizeof text, "%s: unsupported context(%d)", request, slot);
            line_(text);
        }
        return nullptr;
    }
    return streams_[size_t(slot)];
}

void SoundBridge::streamOpen(int slot, const char* name, uint32_t param1, uint32_t param2)
{
    ds8_stream* s = stream(slot, "stropen");
    if (!s) return;
    openAsked_[size_t(slot)] = true;
    const auto choice = name ? decoderChoice(name) : std::nullopt;
    if (!choice) return; // no request: the next sync sees the open failed
    const std::string decoder = decoder_(choice->upperExtension, choice->defaultName);
    instance_->stream_request_open(s, filePath(name).c_str(), decoder.c_str(), streamBufferMs_, intptr_t(param1),
                                   intptr_t(param2));
}

void SoundBridge::streamClose(int slot)
{
    if (ds8_stream* s = stream(slot, "strclose")) {
        openAsked_[size_t(slot)] = false;
        instance_->stream_request_close(s);
    }
}

int SoundBridge::streamPlay(int slot)
{
    ds8_stream* s = stream(slot, "strplay");
    if (!s) return 1;
    instance_->stream_play(s);
    return 0;
}

void SoundBridge::streamStop(int slot)
{
    if (ds8_stream* s = stream(slot, "strstop")) instance_->stream_stop(s);
}

int SoundBridge::streamVolume(int slot, int value)
{
    ds8_stream* s = stream(slot);
    return s ? zeroOrOne(instance_->stream_level(s, value)) : 1;
}

int SoundBridge::streamPan(int slot, int value)
{
    ds8_stream* s = stream(slot);
    return s ? zeroOrOne(instance_->stream_pan(s, value)) : 1;
}

int SoundBridge::streamPitch(int slot, int value)
{
    ds8_stream* s = stream(slot);
    return s ? zeroOrOne(instance_->stream_pitch(s, value)) : 1;
}

int SoundBridge::streamSync(int slot, int wanted)
{
    ds8_stream* s = stream(slot);
    if (!s) return 0;
    if (wanted == 1) return instance_->stream_is_stopped(s) ? 0 : 1;
    if (wanted != 0) return 0;
    if (instance_->stream_is_open(s)) {
        openAsked_[size_t(slot)] = false;
        return 0;
    }
    // Not open and nothing pending: the open failed (or was never made);
    // waiting on would hold the track forever.
    if (!instance_->stream_is_stopped(s)) return 1;
    if (openAsked_[size_t(slot)]) {
        char text[64];
        std::snprintf(text, sizeof text, "stropen: cannot open(%d)", slot);
        line_(text);
        openAsked_[size_t(slot)] = false;
    }
    return 0;
}

void SoundBridge::streamPosition(int slot, uint32_t low, uint32_t high)
{
    if (ds8_stream* s = stream(slot)) instance_->stream_set_position(s, low, high);
}

void SoundBridge::streamPositionSeconds(int slot, float seconds)
{
    if (ds8_stream* s = stream(slot)) instance_->stream_set_position_seconds(s, seconds);
}

void SoundBridge::streamLoopEnd(int slot, uint32_t low, uint32_t high)
{
    if (ds8_stream* s = stream(slot)) instance_->stream_set_end(s, low, high);
}

void SoundBridge::streamLoopEndSeconds(int slot, float seconds)
{
    if (ds8_stream* s = stream(slot)) instance_->stream_set_end_seconds(s, seconds);
}

void SoundBridge::streamLoop(int slot, uint32_t startLow, uint32_t startHigh, uint32_t endLow, uint32_t endHigh)
{
    if (ds8_stream* s = stream(slot)) instance_->stream_set_loop(s, startLow, startHigh, endLow, endHigh);
}

void SoundBridge::streamLoopSeconds(int slot, float start, float end)
{
    if (ds8_stream* s = stream(slot)) instance_->stream_set_loop_seconds(s, start, end);
}

} // namespace frontend

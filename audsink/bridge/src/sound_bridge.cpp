#include "audsink_bridge/sound_bridge.h"

#include <cstdlib>
#include <utility>

namespace audsink_bridge {

namespace {

void* allocateZeroed(void*, size_t size) { return std::calloc(1, size); }
void releaseBlock(void*, void* block) { std::free(block); }

int zeroOrOne(int32_t result) { return result == DS8_OK ? 0 : 1; }

constexpr int kDeviceChannels = 2;
constexpr int kDeviceBits = 16;
constexpr int kCooperativeLevel = 2;

} // namespace

SoundBridge::SoundBridge(BridgePolicies policies)
    : policies_(std::move(policies)), syncWait_(policies_.syncWait ? *policies_.syncWait : defaultWait_)
{}

SoundBridge::CreateResult SoundBridge::create(const BridgeSetup& setup)
{
    destroy();
    if (!setup.entries.present()) return CreateResult::NoInstance;
    instance_ = setup.entries.construct(setup.user, allocateZeroed, releaseBlock);
    if (!instance_) return CreateResult::NoInstance;
    // The offline device must be open before the streams are made: their
    // threads then leave every tick to its clock from the first one on.
    if (!setup.device.empty() && openOn(setup.device) != DS8_OK) {
        destroy();
        return CreateResult::NoDevice;
    }
    for (auto& s : streams_) {
        s = instance_->stream_create(instance_, setup.streamTickMs);
        if (!s) {
            destroy();
            return CreateResult::NoStream;
        }
    }
    return CreateResult::Created;
}

void SoundBridge::prepareOnFirstUse()
{
    if (deferred_) {
        const BridgeSetup setup = std::move(*deferred_);
        deferred_.reset();
        create(setup);
    }
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
    openAsked_.fill(false);
}

int32_t SoundBridge::openOn(const std::string& name)
{
    return instance_->open_device(instance_, name.c_str(), kDeviceChannels, kDeviceBits, kDeviceRate, nullptr,
                                  kCooperativeLevel);
}

void SoundBridge::openDevice(const std::string& name)
{
    if (instance_ && !name.empty()) openOn(name);
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
    // The host's own clean-up, not a request: nothing is made or opened.
    if (!instance_) return;
    for (int slot = 0; slot < kStreamSlots; ++slot) requestClose(slot);
}

void SoundBridge::requestClose(int slot)
{
    openAsked_[size_t(slot)] = false;
    instance_->stream_request_close(streams_[size_t(slot)]);
}

void SoundBridge::named(const char* name) const
{
    if (policies_.fileNamed) policies_.fileNamed(soundPath(pieceFolder_, name));
}

void SoundBridge::report(StreamRequest request, int slot, StreamFailureCode code) const
{
    if (policies_.streamFailure) policies_.streamFailure({request, slot, code});
}

std::string SoundBridge::decoderFor(const DecoderChoice& choice) const
{
    return policies_.decoder ? policies_.decoder(choice) : choice.defaultName;
}

ds8_sound* SoundBridge::sound(uintptr_t handle)
{
    if (policies_.beforeRequest) policies_.beforeRequest();
    return instance_ && handle ? reinterpret_cast<ds8_sound*>(handle) : nullptr;
}

ds8_stream* SoundBridge::stream(int slot, std::optional<StreamRequest> request)
{
    if (policies_.beforeRequest) policies_.beforeRequest();
    if (slot < 0 || slot >= kStreamSlots) {
        if (instance_ && request) report(*request, slot, StreamFailureCode::UnsupportedSlot);
        return nullptr;
    }
    prepareOnFirstUse();
    return instance_ ? streams_[size_t(slot)] : nullptr;
}

int SoundBridge::setSound(uintptr_t handle, SoundSetter setter, int value)
{
    ds8_sound* s = sound(handle);
    return s ? zeroOrOne((instance_->*setter)(s, value)) : 1;
}

int SoundBridge::setStream(int slot, StreamSetter setter, int value)
{
    ds8_stream* s = stream(slot);
    return s ? zeroOrOne((instance_->*setter)(s, value)) : 1;
}

uintptr_t SoundBridge::loadSample(int, const char* name, uint32_t param1, uint32_t param2)
{
    if (policies_.beforeRequest) policies_.beforeRequest();
    if (policies_.loading) policies_.loading();
    if (!name) return 0;
    named(name);
    prepareOnFirstUse();
    const auto choice = decoderChoice(name);
    if (!instance_ || !choice) return 0;
    return reinterpret_cast<uintptr_t>(instance_->sound_load(instance_, soundPath(pieceFolder_, name).c_str(),
                                                             decoderFor(*choice).c_str(), intptr_t(param1),
                                                             intptr_t(param2)));
}

void SoundBridge::freeSample(uintptr_t handle)
{
    if (ds8_sound* s = sound(handle)) instance_->sound_free(s);
}

void SoundBridge::startVoice(uintptr_t handle, int loop)
{
    if (ds8_sound* s = sound(handle)) instance_->sound_play(s, loop & 1 ? DS8_PLAY_LOOP : 0);
}

void SoundBridge::stopVoice(uintptr_t handle)
{
    if (ds8_sound* s = sound(handle)) instance_->sound_stop(s);
}

int SoundBridge::voiceVolume(uintptr_t handle, int value) { return setSound(handle, &ds8::sound_level, value); }

int SoundBridge::voicePan(uintptr_t handle, int value) { return setSound(handle, &ds8::sound_pan, value); }

int SoundBridge::voicePitch(uintptr_t handle, int value) { return setSound(handle, &ds8::sound_pitch, value); }

uintptr_t SoundBridge::duplicateSample(uintptr_t handle)
{
    if (policies_.loading) policies_.loading();
    ds8_sound* s = sound(handle);
    return s ? reinterpret_cast<uintptr_t>(instance_->sound_duplicate(s)) : 0;
}

void SoundBridge::voiceStartPosition(uintptr_t handle, int fraction)
{
    if (ds8_sound* s = sound(handle)) instance_->sound_position(s, fraction);
}

int SoundBridge::voicePlaying(uintptr_t handle)
{
    ds8_sound* s = sound(handle);
    return static_cast<int>(s ? instance_->sound_status(s) : DS8_STATUS_FAILED);
}

void SoundBridge::streamOpen(int slot, const char* name, uint32_t param1, uint32_t param2)
{
    if (name) named(name);
    ds8_stream* s = stream(slot, StreamRequest::Open);
    if (!s) return;
    openAsked_[size_t(slot)] = true;
    const auto choice = name ? decoderChoice(name) : std::nullopt;
    if (!choice) return; // no request: the next sync sees the open failed
    instance_->stream_request_open(s, soundPath(pieceFolder_, name).c_str(), decoderFor(*choice).c_str(),
                                   streamBufferMs_, intptr_t(param1), intptr_t(param2));
}

void SoundBridge::streamClose(int slot)
{
    if (stream(slot, StreamRequest::Close)) requestClose(slot);
}

int SoundBridge::streamPlay(int slot)
{
    ds8_stream* s = stream(slot, StreamRequest::Play);
    if (!s) return 1;
    instance_->stream_play(s);
    return 0;
}

void SoundBridge::streamStop(int slot)
{
    if (ds8_stream* s = stream(slot, StreamRequest::Stop)) instance_->stream_stop(s);
}

int SoundBridge::streamVolume(int slot, int value) { return setStream(slot, &ds8::stream_level, value); }

int SoundBridge::streamPan(int slot, int value) { return setStream(slot, &ds8::stream_pan, value); }

int SoundBridge::streamPitch(int slot, int value) { return setStream(slot, &ds8::stream_pitch, value); }

int SoundBridge::streamSync(int slot, int wanted)
{
    ds8_stream* s = stream(slot);
    if (!s || wanted < 0 || wanted > 1) return 0;
    // Stopped is asked first: once no request is pending only this caller
    // changes the stream, so the open state read next agrees with it.
    const bool stopped = instance_->stream_is_stopped(s) != 0;
    bool reached = stopped;
    if (wanted == 0) {
        // Neither open nor pending: the open failed (or was never asked
        // for); waiting on would hold the track for ever.
        const bool open = instance_->stream_is_open(s) != 0;
        reached = open || stopped;
        bool& asked = openAsked_[size_t(slot)];
        if (reached && !open && asked) report(StreamRequest::Open, slot, StreamFailureCode::CannotOpen);
        if (reached) asked = false;
    }
    if (!reached) return syncWait_.mayWait(slot) ? 1 : 0;
    syncWait_.reached(slot);
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

} // namespace audsink_bridge

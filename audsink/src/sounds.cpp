#include "sounds.h"

#include "device_buffer.h"
#include "pcm_layout.h"
#include "platform/audio.h"
#include "sound_controls.h"
#include "stream.h"

#include <cstring>

namespace audsink {
namespace {

// Flags of a one-shot buffer: frequency, pan and volume controls, global
// focus, deferred location.
constexpr uint32_t kOneShotFlags = platform::kAudioBufferCtrlFrequency | platform::kAudioBufferCtrlPan |
                                   platform::kAudioBufferCtrlVolume | platform::kAudioBufferGlobalFocus |
                                   platform::kAudioBufferLocDefer;
// Voice management: the device may end such a sound early to free a voice.
constexpr uint32_t kTerminateByTime = 8;

// Decodes into one locked part until it is full or the decoder has nothing
// more; the rest is silence.  Returns the bytes delivered.
size_t decodePart(Instance& instance, const Decoder& decoder, uint8_t* format, uint8_t* part, uint32_t bytes,
                  uint8_t silence)
{
    size_t done = 0;
    while (done < bytes) {
        const size_t got = decoder.decode(&instance.host.table, format, part + done, bytes - done);
        if (got == 0 || got > bytes - done) break;
        done += got;
    }
    std::memset(part + done, silence, bytes - done);
    return done;
}

bool fillWhole(Instance& instance, ds8_sound& sound, const Decoder& decoder, uint8_t* format, uint8_t silence)
{
    platform::AudioLockedRegion region;
    {
        DeviceCall call(instance.deviceLock);
        if (sound.buffer->lock(0, 0, region, platform::kAudioLockEntireBuffer) != platform::kAudioOk) return false;
    }
    const size_t first = decodePart(instance, decoder, format, region.first, region.firstBytes, silence);
    if (region.second) {
        if (first == region.firstBytes)
            decodePart(instance, decoder, format, region.second, region.secondBytes, silence);
        else
            std::memset(region.second, silence, region.secondBytes);
    }
    DeviceCall call(instance.deviceLock);
    return sound.buffer->unlock(region.first, region.firstBytes, region.second, region.secondBytes) ==
           platform::kAudioOk;
}

// A one-shot that has played to its end no longer counts as playing, so
// resuming does not start it over.
void pauseOne(ds8_sound& sound, bool pause)
{
    if (pause) {
        if (!sound.playing || sound.paused) return;
        if (sound.kind == SoundKind::OneShot && !(soundStatus(sound) & DS8_STATUS_PLAYING)) {
            sound.playing = false;
            return;
        }
        sound.paused = true;
        stopBuffer(sound);
    } else if (sound.paused) {
        sound.paused = false;
        if (sound.playing) startBuffer(sound, sound.playFlags);
    }
}

} // namespace

ds8_sound* loadSound(Instance& instance, const char* file, const char* decoderName, intptr_t pcm, intptr_t extra)
{
    if (!instance.device || !file) return nullptr;
    Decoder decoder;
    if (!loadDecoder(decoderName, decoder) || !resolveEntries(decoder, false)) return nullptr;
    uint8_t* format = decoder.open(&instance.host.table, 0, file, pcm, extra);
    if (!format) return nullptr;

    ds8_sound* sound = nullptr;
    const PcmLayout layout = readLayout(format);
    const uint64_t bytes = uint64_t{layout.frames} * layout.blockBytes();
    if (layout.isPlayable() && layout.frames > 0 && bytes <= platform::kAudioBufferBytesMax)
        sound = newRecord<ds8_sound>(instance);
    if (sound) {
        sound->owner = &instance;
        const int32_t made = createBuffer(instance, kOneShotFlags, layout.channels, layout.sampleBytes, layout.rate,
                                          static_cast<uint32_t>(bytes), sound->buffer);
        if (made != DS8_OK || !fillWhole(instance, *sound, decoder, format, layout.silence())) {
            deleteRecord(instance, sound);
            sound = nullptr;
        }
    }
    decoder.close(&instance.host.table, format);
    if (!sound) return nullptr;
    sound->blockBytes = layout.blockBytes();
    sound->lengthFrames = layout.frames;
    resetSentValues(*sound, layout.rate);
    linkSound(instance, sound);
    return sound;
}

ds8_sound* duplicateSound(Instance& instance, ds8_sound& source)
{
    if (!instance.device || !source.buffer || source.kind != SoundKind::OneShot) return nullptr;
    ds8_sound* sound = newRecord<ds8_sound>(instance);
    if (!sound) return nullptr;
    platform::AudioResult result;
    {
        DeviceCall call(instance.deviceLock);
        result = instance.device->duplicateBuffer(*source.buffer, sound->buffer);
    }
    if (result != platform::kAudioOk) {
        deleteRecord(instance, sound);
        return nullptr;
    }
    // The duplicate starts with the source's volume, pan and frequency, so
    // the values last sent are the source's too.
    sound->owner = &instance;
    sound->blockBytes = source.blockBytes;
    sound->lengthFrames = source.lengthFrames;
    sound->baseRate = source.baseRate;
    sound->level = source.level;
    sound->lastVolume = source.lastVolume;
    sound->pan = source.pan;
    sound->lastPan = source.lastPan;
    sound->pitch = source.pitch;
    sound->lastRate = source.lastRate;
    linkSound(instance, sound);
    return sound;
}

void freeSound(Instance& instance, ds8_sound* sound)
{
    unlinkSound(instance, sound);
    if (sound->buffer) {
        DeviceCall call(instance.deviceLock);
        sound->buffer->stop();
        sound->buffer.reset();
    }
    deleteRecord(instance, sound);
}

int32_t playSound(ds8_sound& sound, uint32_t flags)
{
    return startBuffer(sound, (flags & DS8_PLAY_LOOP) | kTerminateByTime);
}

void stopSound(ds8_sound& sound)
{
    sound.playing = false;
    stopBuffer(sound);
}

void pauseAll(Instance& instance, bool pause)
{
    instance.allPaused = pause;
    for (ds8_sound* sound = instance.first; sound; sound = sound->next) {
        if (sound->kind == SoundKind::Stream) {
            auto& stream = static_cast<ds8_stream&>(*sound);
            std::lock_guard state(stream.stateLock);
            std::lock_guard buffer(stream.bufferLock);
            pauseOne(*sound, pause);
        } else {
            pauseOne(*sound, pause);
        }
    }
}

} // namespace audsink

// Slots 0 to 32: the instance, the device and one-shot sounds.
#include "device.h"
#include "lifetime.h"
#include "operations.h"
#include "sound_controls.h"
#include "sounds.h"

namespace audsink {
namespace {

void destroy(ds8* self)
{
    if (self) destroyInstance(*instanceOf(self));
}

int32_t openDevice22(ds8* self, const char* device, int channels, int bits, int rate, void*, int)
{
    LockedInstance instance(self);
    if (!instance) return DS8_ERR_INVALID_ARG;
    return openDevice(*instance, device, channels, bits, rate);
}

void closeDevice2(ds8* self)
{
    LockedInstance instance(self);
    if (instance) closeDevice(*instance);
}

ds8_sound* load23(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t extra)
{
    LockedInstance instance(self);
    if (!instance) return nullptr;
    return loadSound(*instance, file, decoder, pcm, extra);
}

bool isOneShot(const ds8_sound* sound) { return sound && sound->kind == SoundKind::OneShot; }

ds8_sound* duplicate24(ds8_sound* sound)
{
    if (!isOneShot(sound)) return nullptr;
    std::lock_guard list(sound->owner->instanceLock);
    return duplicateSound(*sound->owner, *sound);
}

void free25(ds8_sound* sound)
{
    if (!isOneShot(sound)) return;
    Instance& instance = *sound->owner;
    std::lock_guard list(instance.instanceLock);
    freeSound(instance, sound);
}

int32_t play26(ds8_sound* sound, uint32_t flags)
{
    return isOneShot(sound) ? playSound(*sound, flags) : DS8_ERR_INVALID_ARG;
}

void stop27(ds8_sound* sound)
{
    if (isOneShot(sound)) stopSound(*sound);
}

int32_t level28(ds8_sound* sound, int32_t level)
{
    return isOneShot(sound) ? applyLevel(*sound, level) : DS8_ERR_INVALID_ARG;
}

int32_t pan29(ds8_sound* sound, int32_t pan) { return isOneShot(sound) ? applyPan(*sound, pan) : DS8_ERR_INVALID_ARG; }

int32_t pitch30(ds8_sound* sound, int32_t pitch)
{
    return isOneShot(sound) ? applyPitch(*sound, pitch) : DS8_ERR_INVALID_ARG;
}

int32_t position31(ds8_sound* sound, int32_t fraction)
{
    return isOneShot(sound) ? applyPosition(*sound, fraction) : DS8_ERR_INVALID_ARG;
}

uint32_t status32(ds8_sound* sound) { return isOneShot(sound) ? soundStatus(*sound) : DS8_STATUS_FAILED; }

// Slots 3 to 12: the same with the instance first.
ds8_sound* load3(ds8* self, const char* file, const char* decoder) { return load23(self, file, decoder, 0, 0); }
ds8_sound* duplicate4(ds8*, ds8_sound* sound) { return duplicate24(sound); }
void free5(ds8*, ds8_sound* sound) { free25(sound); }
int32_t play6(ds8*, ds8_sound* sound, uint32_t flags) { return play26(sound, flags); }
void stop7(ds8*, ds8_sound* sound) { stop27(sound); }
int32_t level8(ds8*, ds8_sound* sound, int32_t v) { return level28(sound, v); }
int32_t pan9(ds8*, ds8_sound* sound, int32_t v) { return pan29(sound, v); }
int32_t pitch10(ds8*, ds8_sound* sound, int32_t v) { return pitch30(sound, v); }
int32_t position11(ds8*, ds8_sound* sound, int32_t v) { return position31(sound, v); }
uint32_t status12(ds8*, ds8_sound* sound) { return status32(sound); }

int32_t unsupported13(ds8*, uintptr_t, uintptr_t) { return DS8_ERR_INVALID_CALL; }

void nothing14(ds8*) {}

void* deviceObject15(ds8* self) { return self ? instanceOf(self)->device.get() : nullptr; }

void* primary16(ds8* self) { return deviceObject15(self); }

void* buffer17(ds8* self, ds8_sound* sound)
{
    if (!self || !sound || !instanceOf(self)->device) return nullptr;
    return sound->buffer.get();
}

void lock18(ds8* self)
{
    if (self) instanceOf(self)->deviceLock.acquire();
}

int tryLock19(ds8* self) { return self && !instanceOf(self)->deviceLock.try_acquire() ? 1 : 0; }

void unlock20(ds8* self)
{
    if (self) instanceOf(self)->deviceLock.release();
}

void pause21(ds8* self, int pause)
{
    LockedInstance instance(self);
    if (instance) pauseAll(*instance, pause != 0);
}

} // namespace

void fillSoundOperations(ds8& t)
{
    t.destroy = &destroy;
    t.open_device_plain = &openDevice22;
    t.close_device = &closeDevice2;
    t.load = &load3;
    t.duplicate = &duplicate4;
    t.free_sound = &free5;
    t.play = &play6;
    t.stop = &stop7;
    t.set_level = &level8;
    t.set_pan = &pan9;
    t.set_pitch = &pitch10;
    t.set_position = &position11;
    t.status = &status12;
    t.unsupported = &unsupported13;
    t.nothing = &nothing14;
    t.device_object = &deviceObject15;
    t.primary_buffer = &primary16;
    t.sound_buffer = &buffer17;
    t.lock_device = &lock18;
    t.try_lock_device = &tryLock19;
    t.unlock_device = &unlock20;
    t.pause_all = &pause21;
    t.open_device = &openDevice22;
    t.sound_load = &load23;
    t.sound_duplicate = &duplicate24;
    t.sound_free = &free25;
    t.sound_play = &play26;
    t.sound_stop = &stop27;
    t.sound_level = &level28;
    t.sound_pan = &pan29;
    t.sound_pitch = &pitch30;
    t.sound_position = &position31;
    t.sound_status = &status32;
}

} // namespace audsink

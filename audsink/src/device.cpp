#include "device.h"

#include "device_clock.h"
#include "stream.h"

#include <cstring>

namespace audsink {

void closeDevice(Instance& instance)
{
    if (!instance.device) return;
    // The buffers die with the device: every stream closes (and counts as
    // stopped) and every one-shot stops, rather than wait for ever on a
    // cursor that no longer moves.
    for (ds8_sound* sound = instance.first; sound; sound = sound->next) {
        if (sound->kind == SoundKind::Stream) {
            auto& stream = static_cast<ds8_stream&>(*sound);
            std::lock_guard state(stream.stateLock);
            closeStream(stream);
        } else {
            sound->playing = false;
            sound->paused = false;
        }
    }
    DeviceCall call(instance.deviceLock);
    instance.device.reset();
    instance.offline = false;
}

int32_t openDevice(Instance& instance, const char* name, int channels, int bits, int rate)
{
    closeDevice(instance);
    const std::string wanted = name ? name : "";
    std::unique_ptr<platform::AudioDevice> device;
    platform::AudioResult result = platform::kAudioOk;
    const bool offline = wanted == DS8_OFFLINE_DEVICE;
    {
        DeviceCall call(instance.deviceLock);
        if (offline)
            device = std::make_unique<DeviceClock>(instance, platform::openOfflineAudioDevice());
        else
            result = platform::openAudioDevice(wanted, device);
        if (result == platform::kAudioOk) {
            platform::AudioFormat format;
            format.channels = static_cast<uint16_t>(channels);
            format.bitsPerSample = static_cast<uint16_t>(bits);
            format.sampleRate = static_cast<uint32_t>(rate);
            result = format.isValid() ? device->setPrimaryFormat(format) : platform::kAudioInvalidArgument;
        }
    }
    if (result != platform::kAudioOk) {
        DeviceCall call(instance.deviceLock);
        device.reset();
        return static_cast<int32_t>(result);
    }
    instance.device = std::move(device);
    instance.offline = offline;
    return DS8_OK;
}

} // namespace audsink

#include "device_buffer.h"

namespace audsink {

int32_t createBuffer(Instance& instance, uint32_t flags, uint32_t channels, uint32_t sampleBytes, uint32_t rate,
                     uint32_t bytes, std::unique_ptr<platform::AudioBuffer>& buffer)
{
    DeviceCall call(instance.deviceLock);
    if (!instance.device) return DS8_ERR_INVALID_CALL;
    platform::AudioFormat format;
    format.channels = static_cast<uint16_t>(channels);
    format.bitsPerSample = static_cast<uint16_t>(8 * sampleBytes);
    format.sampleRate = rate;
    return static_cast<int32_t>(instance.device->createBuffer(flags, format, bytes, buffer));
}

} // namespace audsink

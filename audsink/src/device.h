// The output device of an instance and the lock around every call into it.
#pragma once

#include "instance.h"

namespace audsink {

// Holds the device lock for one call into the device or a buffer.
class DeviceCall {
public:
    explicit DeviceCall(Instance& instance) : lock_(instance.deviceLock) { lock_.acquire(); }
    ~DeviceCall() { lock_.release(); }
    DeviceCall(const DeviceCall&) = delete;
    DeviceCall& operator=(const DeviceCall&) = delete;

private:
    DeviceLock& lock_;
};

// Under the instance lock.  The name selects the default device (empty or
// the default device's name), a named device, or the offline device.
int32_t openDevice(Instance& instance, const char* name, int channels, int bits, int rate);
void closeDevice(Instance& instance);

// A static or streaming buffer for PCM of the given layout, under the
// device lock; the invalid-call code while the device is closed.
int32_t createBuffer(Instance& instance, uint32_t flags, uint32_t channels, uint32_t sampleBytes, uint32_t rate,
                     uint32_t bytes, std::unique_ptr<platform::AudioBuffer>& buffer);

} // namespace audsink

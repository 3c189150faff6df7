// Opening and closing the output device of an instance.  Closing ends
// every sound's playing (the buffers die with the device), so this stands
// above the sounds and streams; their buffers come from device_buffer.h.
#pragma once

#include "instance.h"

namespace audsink {

// Under the instance lock.  The name selects the default device (empty or
// the default device's name), a named device, or the offline device.
int32_t openDevice(Instance& instance, const char* name, int channels, int bits, int rate);
void closeDevice(Instance& instance);

} // namespace audsink

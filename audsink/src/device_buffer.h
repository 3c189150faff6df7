// A buffer on the output device of an instance.
#pragma once

#include "instance.h"

namespace audsink {

// A static or streaming buffer for PCM of the given layout, under the
// device lock; the invalid-call code while the device is closed.
int32_t createBuffer(Instance& instance, uint32_t flags, uint32_t channels, uint32_t sampleBytes, uint32_t rate,
                     uint32_t bytes, std::unique_ptr<platform::AudioBuffer>& buffer);

} // namespace audsink

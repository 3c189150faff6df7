// The names the device dialog offers: the system's audio outputs and MIDI
// output devices, each list with its mapper (the default device) first.
#pragma once

#include "device_form.h"

namespace zemfe {

DeviceNames systemDeviceNames();

} // namespace zemfe

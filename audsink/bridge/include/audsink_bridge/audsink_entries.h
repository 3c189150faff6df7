// How a host reaches the stream output library: its two entries.  Hosts
// take the linked library's; tests pass fakes that build a table of their
// own.
#pragma once

#include "audsink.h"

#include <cstdint>

namespace audsink_bridge {

struct AudsinkEntries {
    uint32_t (*version)() = nullptr;
    ds8* (*construct)(void* user, void* (*allocate)(void* user, size_t size),
                      void (*release)(void* user, void* block)) = nullptr;

    bool present() const { return version && construct; }
};

// ds8_version and ds8_const of the linked library (libaudsink).
AudsinkEntries audsinkLibrary();

} // namespace audsink_bridge

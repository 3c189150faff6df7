// How the session reaches the stream output library: its two entries,
// handed in by the program that links it (the window passes ds8_version
// and ds8_const; tests pass fakes that build a table of their own).
#pragma once

#include <audsink.h>

#include <cstdint>

namespace frontend {

struct AudsinkEntries {
    uint32_t (*version)() = nullptr;
    ds8* (*construct)(void* user, void* (*allocate)(void* user, size_t size), void (*release)(void* user, void* block)) =
        nullptr;

    bool present() const { return version && construct; }
};

} // namespace frontend

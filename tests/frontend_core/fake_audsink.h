// A stand-in for the stream output library: a 66-slot table whose every
// operation writes a line with its arguments, with streams whose open
// succeeds or fails as a test says.
#pragma once

#include <frontend/audsink_api.h>

#include <array>
#include <string>
#include <vector>

namespace frontend_test {

struct FakeStream {
    int index = 0;
    bool open = false;
    bool openFails = false; // an open request ends closed
    bool pending = false;   // a request not yet carried out
};

struct FakeAudsink {
    ds8 table{}; // first: the instance is the table
    std::vector<std::string> calls;
    std::array<FakeStream, 16> streams{};
    int failStreamAt = -1; // stream_create of this index returns null
    int created = 0;
    int32_t result = 0; // what the sound and stream setters return

    FakeAudsink();
};

// Entries whose constructor hands out `fake` (a fresh one per test), with
// the given interface version.
frontend::AudsinkEntries fakeEntries(FakeAudsink* fake, uint32_t version = DS8_INTERFACE_VERSION);

} // namespace frontend_test

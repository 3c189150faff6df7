// A stand-in for the stream output library: a 66-slot table whose every
// operation writes a line with its arguments, with streams whose open
// succeeds or fails, soon or late, as a test says.
#pragma once

#include "audsink_bridge/audsink_entries.h"

#include <array>
#include <string>
#include <vector>

namespace bridge_test {

struct FakeStream {
    int index = 0;
    bool open = false;
    bool openFails = false; // an open request ends closed
    bool pending = false;   // a request not yet carried out
    // How many queries still see a pending open before the stream's thread
    // carries it out; it is carried out before any later query answers.
    int queriesBeforeSettle = 0;
};

struct FakeAudsink {
    ds8 table{}; // first: the instance is the table
    std::vector<std::string> calls;
    std::array<FakeStream, 16> streams{};
    int failStreamAt = -1;    // stream_create of this index returns null
    int32_t deviceResult = 0; // what open_device returns
    int created = 0;
    int32_t result = 0; // what the sound and stream setters return

    FakeAudsink();
};

// Entries whose constructor hands out `fake` (a fresh one per test), with
// the given interface version.
audsink_bridge::AudsinkEntries fakeEntries(FakeAudsink* fake, uint32_t version = DS8_INTERFACE_VERSION);

} // namespace bridge_test

// The creator's utility table, completed with the runtime's heap and file
// calls where entries are missing.
#pragma once

#include "audsink.h"

#include <cstddef>

namespace audsink {

// Copies whole slots of a table given with its length in bytes and applies
// the defaults: a missing allocate or free replaces both, a missing file
// entry replaces all seven.
ds8_utility completeUtilityTable(const ds8_utility* table, size_t lengthBytes);

} // namespace audsink

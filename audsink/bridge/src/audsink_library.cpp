#include "audsink_bridge/audsink_entries.h"

namespace audsink_bridge {

AudsinkEntries audsinkLibrary() { return {ds8_version, ds8_const}; }

} // namespace audsink_bridge

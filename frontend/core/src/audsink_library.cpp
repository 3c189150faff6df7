#include "frontend/audsink_api.h"

namespace frontend {

AudsinkEntries audsinkLibrary() { return {ds8_version, ds8_const}; }

} // namespace frontend

// Compiling one source file named on a driver's command line.
#pragma once

#include "driver_switches.h"

#include "common/run_files.h"

#include <cstdint>
#include <string>

namespace zemc_driver {

// Resolves the source name (default extension "KVT", letter case as stored),
// refuses reserved device names, reads the source and compiles it; only a
// complete image takes the output name, an existing output then moved aside
// to its backup name.  Returns 0, or -1 after reporting the failure.  Codes
// that are not about this file are raised on to the caller's frame.
int32_t compileFile(const std::string& word, const Switches& switches, tools::ReportFn report);

} // namespace zemc_driver

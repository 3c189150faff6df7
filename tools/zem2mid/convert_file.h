// Converting one ZEM image named on the command line to a MIDI file.
#pragma once

#include "playback/export_settings.h"

#include "common/run_files.h"

#include <cstdint>
#include <string>

namespace zem2mid {

// Resolves the name (default extension "ZEM", letter case as stored), plays
// the image and writes NAME.MID beside it, an existing one moved to its
// backup name once the new one is complete.  Returns 0, or -1 after reporting the failure; codes that
// are not about this file are raised on to the caller's frame.
int32_t convertFile(const std::string& word, const playback::ExportSettings& settings, tools::ReportFn report);

} // namespace zem2mid

// KVT source given to the renderer is compiled on the fly into an image
// that lives only in memory.
#pragma once

#include "common/run_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zem2wav {

// True when the last component of path has the extension "kvt" (any case).
bool isKvtPath(const std::string& path);

// Compiles size bytes of KVT text into memory and returns the image.  A
// compile message is reported with the source path as caption, then
// util::kErrReported is raised.
std::vector<uint8_t> compileKvt(const uint8_t* text, uint32_t size, const std::string& sourcePath,
                                tools::ReportFn report);

} // namespace zem2wav

// What the renderer is given becomes an image that lives only in memory:
// KVT text is compiled, a Standard MIDI File imported and compiled, an
// image taken as it is, told by the bytes whatever the file's name.
#pragma once

#include "common/run_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zem2wav {

// Compiles size bytes of KVT text into memory and returns the image.  A
// compile message is reported with the source path as caption, then
// util::kErrReported is raised.
std::vector<uint8_t> compileKvt(const uint8_t* text, uint32_t size, const std::string& sourcePath,
                                tools::ReportFn report);

// The image of size bytes read from sourcePath.  Import and compile messages
// are reported as compileKvt does.
std::vector<uint8_t> songImage(const uint8_t* bytes, uint32_t size, const std::string& sourcePath,
                               tools::ReportFn report);

} // namespace zem2wav

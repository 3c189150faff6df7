// The name of the text written for an input file.
#pragma once

#include <string>

namespace mid2kvt {

// The input path up to the last "." of its last component, then "KVT"; a
// path without one gets "." and "KVT" appended.
std::string kvtOutputPath(const std::string& inputPath);

} // namespace mid2kvt

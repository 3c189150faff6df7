// KVT text compiled in memory, for tests that play images through the
// exporter's playback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zem2mid_test {

// The image of `text`; empty (and a failed expectation) when it does not compile.
std::vector<uint8_t> compile(const std::string& text);

} // namespace zem2mid_test

// What zem2wav's command line asks of every render beyond the exporter's
// switches.
#pragma once

#include <optional>
#include <string>

namespace zem2wav {

struct RenderOptions {
    std::string outputName;             // empty: FILE.WAV beside the input
    std::optional<double> loudnessLufs; // scale to this integrated loudness
};

} // namespace zem2wav

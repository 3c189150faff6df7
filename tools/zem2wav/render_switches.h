// zem2wav's own switches, which take their value as the next word and so
// are read before the exporter's switch words: -o NAME, --loudness LUFS.
#pragma once

#include "render_options.h"

#include <string>
#include <vector>

namespace zem2wav {

// Integrated loudness targets accepted by --loudness, in LUFS.
inline constexpr double kMinLoudnessLufs = -70;
inline constexpr double kMaxLoudnessLufs = 0;

// Takes the switches and their values out of words into options.  Returns
// the message for a bad use (missing or malformed value, -o with other than
// one file), else an empty text.
std::string takeRenderSwitches(std::vector<std::string>& words, RenderOptions& options);

} // namespace zem2wav

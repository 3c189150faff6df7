// The file formats zem2wav writes, chosen by the ending of the output name.
#pragma once

#include <string>

namespace zem2wav {

enum class OutputFormat { Wave, Flac, OggVorbis, Opus, Mp3 };

// By the name's extension, in any letter case: .flac, .ogg or .oga, .opus,
// .mp3; every other name (.wav among them) is a WAVE file.
OutputFormat outputFormatOf(const std::string& path);

} // namespace zem2wav

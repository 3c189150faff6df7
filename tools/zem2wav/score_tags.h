// The score's title and notice, as tags of a compressed render.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zem2wav {

struct ScoreTags {
    std::string title;  // UTF-8; empty when the score has none
    std::string notice; // UTF-8
};

// The texts the image header points at.  Texts that are not UTF-8 are
// taken as code page 932, the scores' usual character set.
ScoreTags scoreTags(const std::vector<uint8_t>& image);

} // namespace zem2wav

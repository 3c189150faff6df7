#include "score_tags.h"

#include "platform/text.h"
#include "zem/command_words.h"

#include <algorithm>

namespace zem2wav {

namespace {

bool isUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t follow = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
        if (follow == 4 || s.size() - i <= follow) return false;
        for (size_t k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += follow + 1;
    }
    return true;
}

// A text payload: its length in the low byte of the word before it, its
// bytes ending at the first NUL.
std::string headerText(const std::vector<uint8_t>& image, size_t field)
{
    if (image.size() < zem::kHeaderSize) return {};
    const uint32_t offset = zem::readU32(&image[field]);
    if (offset < 2 || offset > image.size()) return {};
    const size_t length = std::min<size_t>(image[offset - 2], image.size() - offset);
    const auto begin = image.begin() + offset;
    const auto end = std::find(begin, begin + static_cast<ptrdiff_t>(length), uint8_t{0});
    std::string bytes(begin, end);
    return isUtf8(bytes) ? bytes : platform::toUtf8(bytes.data(), bytes.size(), "CP932");
}

} // namespace

ScoreTags scoreTags(const std::vector<uint8_t>& image)
{
    return {headerText(image, zem::kOffTitle), headerText(image, zem::kOffNotice)};
}

} // namespace zem2wav

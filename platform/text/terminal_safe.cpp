#include "platform/terminal_text.h"

#include "platform/utf8.h"

#include <cstdint>

namespace platform {

namespace {

constexpr char kReplacement = '?';

bool isControl(uint32_t c, LineBreaks lineBreaks)
{
    if (c == '\t' || (c == '\n' && lineBreaks == LineBreaks::Keep)) return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

std::string terminalSafe(std::string_view text, LineBreaks lineBreaks)
{
    std::string safe;
    safe.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        if (const size_t length = utf8Sequence(text, at, &codePoint)) {
            if (isControl(codePoint, lineBreaks))
                safe += kReplacement;
            else
                safe.append(text.substr(at, length));
            at += length;
            continue;
        }
        const auto byte = static_cast<uint8_t>(text[at++]);
        safe += isControl(byte, lineBreaks) ? kReplacement : static_cast<char>(byte);
    }
    return safe;
}

} // namespace platform

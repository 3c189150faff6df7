#include "platform/terminal_text.h"

#include <cstdint>

namespace platform {

namespace {

constexpr char kReplacement = '?';

// The length of the valid UTF-8 sequence starting at text[at] and its code
// point, or 0 when none starts there.
size_t utf8Sequence(std::string_view text, size_t at, uint32_t* codePoint)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    size_t length = 0;
    uint32_t value = 0;
    uint32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        value = value << 6 | (byte(at + i) & 0x3Fu);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return length;
}

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

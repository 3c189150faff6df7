#include "export_settings.h"

#include "export_messages.h"

#include "common/switch_words.h"

#include <cctype>

namespace playback {

namespace {

// The longest run of digits of the base after pos; none reads as 0, no
// sign, wrapping at 32 bits.
uint32_t readNumber(const std::string& word, size_t& pos, bool hex)
{
    uint32_t value = 0;
    for (; pos < word.size(); ++pos) {
        const unsigned char c = static_cast<unsigned char>(word[pos]);
        if (std::isdigit(c))
            value = value * (hex ? 16 : 10) + (c - '0');
        else if (hex && std::isxdigit(c))
            value = value * 16 + (std::toupper(c) - 'A' + 10);
        else
            break;
    }
    return value;
}

} // namespace

uint32_t readDecimal(const std::string& word, size_t& pos) { return readNumber(word, pos, false); }

ExportSettings parseSettings(const std::vector<std::string>& words, tools::TrailingText trailing,
                             const tools::SwitchReader& more)
{
    ExportSettings settings;
    tools::readSwitchWords(words, trailing, kErrIllegalOption, [&](char letter, const std::string& word, size_t& pos) {
        switch (letter) {
        case 'L': settings.playback.loopCount = static_cast<uint8_t>(readDecimal(word, pos)); break;
        case 'D': settings.playback.delayMs = static_cast<int32_t>(readDecimal(word, pos)); break;
        case 'F': settings.playback.fadeMs = readDecimal(word, pos) + 1; break;
        case 'M': settings.playback.deviceMask = static_cast<uint16_t>(readNumber(word, pos, true)); break;
        case 'Z': settings.playback.ignoreEndlessLoops = true; break;
        case 'O': settings.offVelocity = true; break;
        default: return more && more(letter, word, pos);
        }
        return true;
    });
    return settings;
}

} // namespace playback

#include "status_line.h"

#include "platform/terminal_text.h"

namespace zemplay {

namespace {

// "M:KKK:TTTT" shown as "M:K".
std::string barBeat(const std::string& step)
{
    const size_t first = step.find(':');
    const size_t second = step.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) return step;
    const std::string beat = step.substr(first + 1, second - first - 1);
    const size_t digits = beat.find_first_not_of('0');
    return step.substr(0, first) + ":" + (digits == std::string::npos ? "0" : beat.substr(digits));
}

// Cuts UTF-8 text to at most columns characters (one column each).
std::string cut(const std::string& text, size_t columns)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (count++ == columns) return text.substr(0, i);
    }
    return text;
}

} // namespace

std::string statusLine(const frontend::Snapshot& s, size_t width, const std::string& notePlace)
{
    std::string line = "  " + s.time + "  loop " + s.loop + "  " + s.tempo + " BPM  " + barBeat(s.step);
    if (!notePlace.empty()) line += "  " + notePlace;
    if (s.state == frontend::PlayerState::Paused) line += "  (paused)";
    if (!s.title.text.empty()) line += "  " + platform::terminalSafe(s.title.text);
    return width == 0 ? line : cut(line, width);
}

} // namespace zemplay

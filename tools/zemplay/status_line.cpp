#include "status_line.h"

#include "platform/terminal_text.h"

namespace console {

namespace {

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
    std::string line = "  " + s.time + "  loop " + s.loop + "  " + s.tempo + " BPM  " + std::to_string(s.bar) + ":" +
                       std::to_string(s.beat);
    if (!notePlace.empty()) line += "  " + notePlace;
    if (s.state == frontend::PlayerState::Paused) line += "  (paused)";
    if (!s.title.text.empty()) line += "  " + platform::terminalSafe(s.title.text);
    return width == 0 ? line : cut(line, width);
}

} // namespace console

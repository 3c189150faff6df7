// Text from a score or a file name on its way to a terminal.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// text with every control character replaced by '?', so that printing it
// cannot move the cursor, set the window title, change colours or start any
// other escape sequence: C0 controls except tab, DEL, the C1 controls
// written in UTF-8 (U+0080 to U+009F), and the bytes 0x80 to 0x9F outside a
// valid UTF-8 sequence (a terminal in an 8-bit mode takes those as C1).
// Everything else, valid UTF-8 or not, passes unchanged.  Line feeds are
// kept with LineBreaks::Keep, for a message of several lines.
enum class LineBreaks { Replace, Keep };
std::string terminalSafe(std::string_view text, LineBreaks lineBreaks = LineBreaks::Replace);

} // namespace platform

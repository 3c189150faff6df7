// The one status line shown while playing: elapsed time, loop, tempo,
// bar:beat and title, cut to the terminal's width.
#pragma once

#include "frontend/session.h"

#include <string>

namespace console {

// "  0:12.34  loop 1  120.00 BPM  3:2  Title": time, loop and tempo as the
// window shows them, bar and beat (width in columns; 0: no cut).
std::string statusLine(const frontend::Snapshot& snapshot, size_t width);

} // namespace console

// The one status line shown while playing: elapsed time, loop, tempo,
// bar:beat and title, cut to the terminal's width.
#pragma once

#include "frontend/session.h"

#include <string>

namespace console {

// "  0:12.34  loop 1  120.00 BPM  3:2  12:5  Title" (width in columns; 0: no
// cut); notePlace: the text's line:column of the last note, when known.
std::string statusLine(const frontend::Snapshot& snapshot, size_t width, const std::string& notePlace = {});

} // namespace console

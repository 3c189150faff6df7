// Position texts of the stream meta events 0x8D..0x8F.
//
//   position := blanks ( samples | time ) blanks
//   samples  := digits                       a sample position, 0..2^64-1
//   time     := [[digits ":"] digits ":"] digits "." digits
//             | [digits ":"] digits ":" digits
//             | digits "." digits            seconds; the fields before the
//                                             colons are hours and minutes
//   loop     := position "," position        both of the same form
// Blanks are spaces and tabs.  Anything else is malformed and ignored.
#pragma once

#include <cstdint>

namespace zemplay {

struct StreamPosition {
    bool valid;
    bool inSeconds;
    uint64_t samples;
    float seconds;
};

StreamPosition parseStreamPosition(const char* text, unsigned length);

struct StreamLoop {
    bool valid;
    StreamPosition start, end; // a single position means start 0
};

StreamLoop parseStreamLoop(const char* text, unsigned length);

} // namespace zemplay

// Checking a KVT text without writing an image: the compiler's own verdict
// with the place of its message, for editors that show it in the text.
#pragma once

#include <cstdint>
#include <string>

namespace kvt {

struct CheckResult {
    bool ok = true;
    std::string message; // the compiler's message text ("Syntax error in 3.")
    uint32_t code = 0;   // its error code (0x40001 ...)
    // The failing command: its line (1-based, the number the message names),
    // its first byte's column in bytes (1-based) and that byte's offset in
    // the text.  Line 0 when the message names no place ("Empty effective
    // track.").
    uint32_t line = 0;
    uint32_t column = 0;
    uint32_t offset = 0;
};

// Where a reported compile error stands in `text`: the line the message
// names, and the column and offset of the failing command's first byte,
// given the error's code and the command's line and first byte as the
// compiler recorded them (command null: before any command).  All 0 when
// the message names no place.
struct ErrorPlace {
    uint32_t line = 0;
    uint32_t column = 0;
    uint32_t offset = 0;
};
ErrorPlace errorPlace(const uint8_t* text, uint32_t code, uint32_t line, const uint8_t* command);

// Compiles `length` bytes at `text` in memory with every track's initial
// condition mask `conditionMask` (the low 16 bits of the compile flags).
// Not reentrant, as every compilation.
CheckResult checkText(const uint8_t* text, uint32_t length, uint16_t conditionMask);

} // namespace kvt

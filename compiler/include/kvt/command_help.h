// What each KVT command does, in a musician's words: one table for editor
// hovers, completion lists and score-view tooltips, so they all say the
// same thing.
#pragma once

#include <cstdint>
#include <span>

namespace kvt {

struct CommandHelp {
    const char* characters; // the command characters it covers («A» to «G» share one entry)
    const char* name;
    const char* syntax;
    const char* ranges;  // what the values may be
    const char* example; // one line of KVT with what it does
};

struct NumberedName {
    uint16_t number;
    const char* name;
};

// Every command, in the order a musician meets them.
std::span<const CommandHelp> allCommandHelp();

// The entry for command character `c` (either case), or null when `c`
// starts no command.
const CommandHelp* commandHelp(uint8_t c);

// Info item types worth offering after «?» (the meta event types players
// understand).
std::span<const NumberedName> infoTypes();

// The built-in exclusive messages that «$n» sends, by number.
std::span<const NumberedName> macroNames();

} // namespace kvt

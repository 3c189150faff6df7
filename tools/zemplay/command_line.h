// The command line of zemplay:
//   zemplay [-F switches] [-p PORT] [-L loops] [--from LINE[:COL] | --at BAR[:BEAT]] [--follow] FILE
//   zemplay --list | --help | --version
#pragma once

#include "frontend/score_follow.h"

#include <cstdint>
#include <optional>
#include <string>

namespace console {

inline constexpr const char* kUsage =
    "usage: zemplay [-F switches] [-p PORT] [-L loops] [--from LINE[:COL] | --at BAR[:BEAT]]\n"
    "               [--follow] FILE\n"
    "       zemplay --list\n"
    "Plays a KVT score (compiled in memory), a Standard MIDI File (imported\n"
    "and compiled in memory) or a ZEM image in real time.\n"
    "  -F switches  compile switch mask: decimal, &hex or .binary (as zemc -F)\n"
    "  -p PORT      MIDI output port, by number or name from --list\n"
    "               (default: the built-in synthesizer)\n"
    "  -L loops     stop after every endless loop has been passed this often\n"
    "               (default 2; 0 plays for ever)\n"
    "  --from LINE[:COL]\n"
    "               starts where the lowest track with a command there\n"
    "               first reaches it (lines and columns count from 1)\n"
    "  --at BAR[:BEAT]\n"
    "               starts where the bar counter first reaches it (from 1)\n"
    "  --follow     prints each note as it is heard: \"12:5 #1 c4\"\n"
    "               (line:column of its command, track, note)\n"
    "  --list       lists the MIDI output ports\n"
    "Keys: space pauses and resumes, q or Ctrl-C stops.\n";

enum class Action { Play, List, Help, Version };

struct CommandLine {
    Action action = Action::Play;
    uint16_t switches = 0;
    std::string port; // empty: the built-in synthesizer
    uint32_t loops = 2;
    std::string file;
    std::optional<frontend::StartPoint> start; // none: from the top
    bool follow = false;
};

// The parsed line, or none with the reason in *error.
std::optional<CommandLine> parseCommandLine(int argc, char** argv, std::string* error);

} // namespace console

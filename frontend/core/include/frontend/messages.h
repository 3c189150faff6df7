// What the player session has to tell its user, as typed values.
//
// The session never formats them: each front end shows them its own way,
// and paneLines() gives the designed lines of the window's message pane
// (PlayMemo), which the console player prints too.  A front end that needs
// a value (a port that failed, the line of a compile error) reads it from
// the entry, never from a line.
#pragma once

#include "audsink_bridge/bridge_policies.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace frontend {

// Slot `port` (0 to 15) opened on the MIDI device named `name`.
struct PortOpened {
    int port = 0;
    std::string name;

    bool operator==(const PortOpened&) const = default;
};
// No device named `name` could be opened for slot `port`; the slot stays
// empty and its output is dropped.
struct PortFailed {
    int port = 0;
    std::string name;

    bool operator==(const PortFailed&) const = default;
};

enum class ExclusiveProblem {
    Busy,     // the port still sends the previous message: this one is refused
    TimedOut, // the port took too long: the message is given up
};
struct ExclusiveFailed {
    int port = 0;
    ExclusiveProblem problem = ExclusiveProblem::Busy;

    bool operator==(const ExclusiveFailed&) const = default;
};

// A message of the compiler, or of the import of a MIDI file, about `file`:
// its text as the compiler wrote it ("Syntax error in 3."), and the place of
// the command it concerns, line and column counted from 1 (the column in
// bytes); both 0 when the message names no place.
struct CompileMessage {
    std::string file;
    uint32_t line = 0;
    uint32_t column = 0;
    std::string text;
    // The failed live reload it came from, counted from 1 (the old image
    // plays on; a later ReloadDone resolves it); 0: any other message.
    uint32_t reload = 0;

    bool operator==(const CompileMessage&) const = default;
};

// The engine's error callback: error code `code` (DP_DUMMY_FUNCTION ... in
// zemplay.h; others are shown as unknown) at `offset`, the image offset of
// the failing command.  Playback goes on.
struct EngineError {
    uint32_t offset = 0;
    int code = 0;

    bool operator==(const EngineError&) const = default;
};

// A stream request of the song that was refused, or an open that failed.
using StreamFailure = audsink_bridge::StreamFailure;

// A text event of the song: its bytes as they are.
struct SongText {
    std::string text;

    bool operator==(const SongText&) const = default;
};

// A live reload switched the playing piece to the new contents of `file`.
struct ReloadDone {
    std::string file;

    bool operator==(const ReloadDone&) const = default;
};
// The engine refused the image of a live reload; the old one plays on.
struct ReloadRefused {
    bool operator==(const ReloadRefused&) const = default;
};

// A play from a place could not start: the place is not in the score
// ("no command at line 12", "the song ends before that place").
struct StartRefused {
    std::string reason;

    bool operator==(const StartRefused&) const = default;
};

using Message = std::variant<PortOpened, PortFailed, ExclusiveFailed, CompileMessage, EngineError, StreamFailure,
                             SongText, ReloadDone, ReloadRefused, StartRefused>;

// The entries since the last take, oldest first.  cleared: the pane was
// emptied (at a stop) before them.
struct MessageBatch {
    bool cleared = false;
    std::vector<Message> messages;
};

// The lines `message` shows as in the message pane: "Dev%.02d: %s",
// "Dev%.02d: [error]%s", "[file]" then the text of a compile message,
// "%.8x : %s", "stropen: unsupported context(%d)", the song's text as it
// is, "[file] reloaded" ...
std::vector<std::string> paneLines(const Message& message);

} // namespace frontend

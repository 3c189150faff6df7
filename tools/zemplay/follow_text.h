// What zemplay prints of the notes it hears: one --follow line per note,
// and the place of the status line.
#pragma once

#include "frontend/score_follow.h"

#include <map>
#include <string>
#include <vector>

namespace console {

// A MIDI key as KVT writes it: letter, "+" for a sharp, octave («c4» is 60).
std::string noteName(int key);

// "12:5 #1 c4": the command's line and column, the track's number, the
// note; "-" in place of line:column when the image has no source map.
std::string followLine(const frontend::HeardNote& note);

// Writes the lines of `notes` to standard output at once; clearStatus: a
// status line stands on the terminal and is wiped first.
void printFollowLines(const std::vector<frontend::HeardNote>& notes, bool clearStatus);

// The line and column of the last note started on the lowest track that
// still plays, for the status line ("" when there is none).
class LastNotes {
public:
    void heard(const std::vector<frontend::HeardNote>& notes);
    std::string place(const frontend::FollowFrame& frame) const;

private:
    uint64_t image_ = 0;
    std::map<size_t, kvt::SourceRange> last_; // by table index
};

} // namespace console

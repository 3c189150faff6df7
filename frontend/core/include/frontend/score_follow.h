// What a score view asks of a playing session: which command of the text
// each track is sounding at the moment it is heard, and where to start a
// play other than from the top.
//
// The session reads every track's place from the engine as it plays and
// maps it through the source map of the image it compiled; a frame is
// handed out once its sound has left the output (the output latency the
// session knows is already taken off), so a view that draws the latest
// frame on each repaint shows what the listener hears.
#pragma once

#include "kvt/source_map.h"

#include <cstdint>
#include <string>
#include <vector>

namespace frontend {

// One track's place.  command.line is 0 while the track has not yet run a
// command of the text, and for the word that ends it.
struct TrackPlace {
    uint8_t trackNumber = 0; // the number the text selects it by («#3»)
    kvt::SourceRange command;
    bool ended = false;
};

struct FollowFrame {
    // Grows with every image started (play, play from a place, live
    // reload): a view rereads the score's text when it changes.
    uint64_t image = 0;
    std::string file; // the score the ranges point into; empty: none
    bool playing = false;
    std::vector<TrackPlace> tracks; // in the image's track table order
};

// One note as it is heard, for a player that lists the notes (a console).
struct HeardNote {
    uint64_t image = 0;       // as FollowFrame::image
    size_t track = 0;         // table index
    uint8_t trackNumber = 0;  // as TrackPlace (the table index when the image has no map)
    kvt::SourceRange command; // line 0: the image has no map
    int key = 0;              // MIDI key
};

// Where a play starts.  Every channel's program, bank, controllers, bend
// and the tempo are as if the song had played from the top.
struct StartPoint {
    enum class Kind { Top, Source, Bar };
    Kind kind = Kind::Top;
    // Source: the first moment `track` (table index; -1: the lowest track
    // with a command at that place) reaches the command at line:column
    // (both from 1; column 0 means the line's first command).
    uint32_t line = 0;
    uint32_t column = 0;
    int track = -1;
    // Bar: the first moment the bar counter shows bar:beat (both from 1).
    uint32_t bar = 0;
    uint32_t beat = 1;
};

// The session's side of a score view, so a view can be shown and tested
// with a recorded source.
class FollowSource {
public:
    virtual ~FollowSource() = default;
    virtual FollowFrame followFrame() const = 0;
    // False (and nothing changes) when there is no score or the place is
    // not in it.
    virtual bool playFrom(const StartPoint& start) = 0;
};

} // namespace frontend

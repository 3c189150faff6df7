// A place to start playing at, looked up in a song's timeline: a command of
// the text reached by a track, or the bar counter showing a bar and beat.
#pragma once

#include "frontend/score_follow.h"

#include "host/start_seek.h"

#include <optional>
#include <string>

namespace frontend {

// The command a Source start names: the track (table index) and its range.
struct CommandPlace {
    size_t track = 0;
    kvt::SourceRange range;
};

// The command at line:column of `track` (-1: the lowest track that has one
// there): the one whose text holds the column, else the first one that
// begins after it on the line; column 0 takes the line's first command.
std::optional<CommandPlace> commandAt(const kvt::SourceMap& map, uint32_t line, uint32_t column, int track);

// The units a play from the top runs before the one in which `start` is
// reached, or none with the reason in *error (Top has none).
std::optional<uint32_t> unitsBeforePlace(const StartPoint& start, const kvt::SourceMap& map,
                                         const host::SongTimeline& timeline, std::string* error);

} // namespace frontend

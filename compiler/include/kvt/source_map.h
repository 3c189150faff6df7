// Where every command word of an image came from in the KVT text: for each
// track, the place of the command that wrote each word.  A player or a score
// view takes the word index the engine reports for a track (the command it
// ran last) and finds the command's text here; a compile fills the map on
// request (CompileRequest::sourceMap) without changing the image.
//
// The words of one command lie together in its track's stream, so a track
// keeps one run per command: the run's first word and the command's range.
// Words inside loops, chords, portamento groups, slurs and macros belong to
// the command whose text wrote them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvt {

// A command's text: the line and column of its first byte (both counted
// from 1, columns in bytes, lines by line feeds) and its length in bytes, the
// blanks after it not included.  Line 0 marks words no command wrote: the
// word that ends a track.
struct SourceRange {
    uint32_t line = 0;
    uint32_t column = 0;
    uint32_t length = 0;

    bool operator==(const SourceRange&) const = default;
};

// The words from firstWord up to the next run's first word (or the end of
// the track) come from `range`.
struct SourceRun {
    uint32_t firstWord = 0;
    SourceRange range;

    bool operator==(const SourceRun&) const = default;
};

struct TrackSourceMap {
    uint8_t trackNumber = 0;     // the number the text selects the track by («#3»)
    uint32_t wordCount = 0;      // length of the track's command stream in 16-bit words
    std::vector<SourceRun> runs; // ascending first words, the first one 0

    // The command that wrote word `word` (counted from the track's first
    // word), or null when no command did or the word lies beyond the track.
    // A binary search over the runs.
    const SourceRange* find(uint32_t word) const;

    bool operator==(const TrackSourceMap&) const = default;
};

struct SourceMap {
    std::vector<TrackSourceMap> tracks; // in the image's track table order

    // As TrackSourceMap::find for the track at table index `track`; null for
    // a track the map does not have.
    const SourceRange* find(size_t track, uint32_t word) const;

    bool operator==(const SourceMap&) const = default;
};

} // namespace kvt

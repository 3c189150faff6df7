#include "start_point.h"

#include "zemplay.h"

#include <algorithm>
#include <vector>

namespace frontend {

namespace {

// Of one track's commands on `line`: the one holding column, else the first
// after it (column 0: the first).
std::optional<kvt::SourceRange> onLine(const kvt::TrackSourceMap& track, uint32_t line, uint32_t column)
{
    std::optional<kvt::SourceRange> after;
    for (const kvt::SourceRun& run : track.runs) {
        const kvt::SourceRange& r = run.range;
        if (r.line != line) continue;
        if (column != 0 && r.column <= column && column < r.column + r.length) return r;
        if (r.column >= column && (!after || r.column < after->column)) after = r;
    }
    return after;
}

// The words a command wrote, as [first, end) spans of its track.
struct WordSpan {
    uint32_t first, end;
};

std::vector<WordSpan> spansOf(const kvt::TrackSourceMap& track, const kvt::SourceRange& range)
{
    std::vector<WordSpan> spans;
    for (size_t i = 0; i < track.runs.size(); ++i)
        if (track.runs[i].range == range)
            spans.push_back(
                {track.runs[i].firstWord, i + 1 < track.runs.size() ? track.runs[i + 1].firstWord : track.wordCount});
    return spans;
}

// A track runs every word from just after its last place up to its new one
// within a unit.  When it jumped back (a loop), only the words up to the new
// place count: the ones before it have all run once already, unless a jump
// skipped them.  A command at the first word is reached at the top: the
// track has sounded nothing before it.
std::optional<uint32_t> commandReached(const CommandPlace& place, const kvt::TrackSourceMap& track,
                                       const host::SongTimeline& timeline)
{
    const std::vector<WordSpan> spans = spansOf(track, place.range);
    if (std::any_of(spans.begin(), spans.end(), [](const WordSpan& s) { return s.first == 0; })) return 0;
    int64_t last = 0;
    for (const host::PlaceChange& change : timeline.track(place.track)) {
        const int64_t now = change.value & DP_TRACK_WORD_MASK;
        if (now == last) continue;
        const int64_t from = now > last ? last + 1 : 0;
        last = now;
        for (const WordSpan& span : spans)
            if (span.first <= now && int64_t(span.end) > from) return change.unitsBefore;
    }
    return std::nullopt;
}

// Bars and beats count from 1 for the user, from 0 in the counter.
std::optional<uint32_t> barReached(uint32_t bar, uint32_t beat, const host::SongTimeline& timeline)
{
    const uint32_t wanted = host::barValue(bar - 1, beat - 1);
    if (timeline.firstBar() >= wanted) return 0;
    for (const host::PlaceChange& change : timeline.bars())
        if (change.value >= wanted) return change.unitsBefore;
    return std::nullopt;
}

} // namespace

std::optional<CommandPlace> commandAt(const kvt::SourceMap& map, uint32_t line, uint32_t column, int track)
{
    for (size_t t = 0; t < map.tracks.size(); ++t) {
        if (track >= 0 && size_t(track) != t) continue;
        if (const auto range = onLine(map.tracks[t], line, column)) return CommandPlace{t, *range};
    }
    return std::nullopt;
}

std::optional<uint32_t> unitsBeforePlace(const StartPoint& start, const kvt::SourceMap& map,
                                         const host::SongTimeline& timeline, std::string* error)
{
    std::optional<uint32_t> units;
    switch (start.kind) {
    case StartPoint::Kind::Top: *error = "no place to seek"; return std::nullopt;
    case StartPoint::Kind::Source: {
        const auto place = commandAt(map, start.line, start.column, start.track);
        if (!place) {
            *error = map.tracks.empty() ? "the score has no source positions"
                                        : "no command at line " + std::to_string(start.line);
            return std::nullopt;
        }
        units = commandReached(*place, map.tracks[place->track], timeline);
        break;
    }
    case StartPoint::Kind::Bar:
        if (start.bar == 0 || start.beat == 0) {
            *error = "bars and beats count from 1";
            return std::nullopt;
        }
        units = barReached(start.bar, start.beat, timeline);
        break;
    }
    if (!units) *error = "the song ends before that place";
    return units;
}

} // namespace frontend

#include "start_point.h"

#include "zemplay.h"

#include <memory>
#include <vector>

namespace frontend {

namespace {

constexpr size_t kBarOffset = 12;
constexpr size_t kBeatOffset = 3;

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
// skipped them.
zemfe::PlaceReached commandReached(const CommandPlace& place, const kvt::TrackSourceMap& track)
{
    struct State {
        std::vector<WordSpan> spans;
        std::vector<uint32_t> words;
        int64_t last = -1;
    };
    auto state = std::make_shared<State>();
    state->spans = spansOf(track, place.range);
    state->words.resize(place.track + 1);
    const size_t index = place.track;
    return [state, index](dp_player* player) {
        State& s = *state;
        if (dp_track_positions(player, s.words.data(), int(s.words.size())) <= int(index)) return false;
        const int64_t now = s.words[index] & DP_TRACK_WORD_MASK;
        const int64_t from = now > s.last ? s.last + 1 : 0;
        s.last = now;
        for (const WordSpan& span : s.spans)
            if (span.first <= now && int64_t(span.end) > from) return true;
        return false;
    };
}

// Bars and beats count from 1 for the user, from 0 in the counter.
zemfe::PlaceReached barReached(uint32_t bar, uint32_t beat)
{
    return [bar = bar - 1, beat = beat - 1](dp_player* player) {
        uint8_t record[DP_BAR_COUNTER_SIZE];
        if (player->bar_counter(player, record, sizeof record) != 0) return false;
        const uint32_t shownBar = uint32_t(record[kBarOffset]) | uint32_t(record[kBarOffset + 1]) << 8;
        const uint32_t shownBeat = record[kBeatOffset];
        return shownBar > bar || (shownBar == bar && shownBeat >= beat);
    };
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

std::optional<zemfe::PlaceReached> placeReached(const StartPoint& start, const kvt::SourceMap& map, std::string* error)
{
    switch (start.kind) {
    case StartPoint::Kind::Top: break;
    case StartPoint::Kind::Source: {
        const auto place = commandAt(map, start.line, start.column, start.track);
        if (place) return commandReached(*place, map.tracks[place->track]);
        *error = map.tracks.empty() ? "the score has no source positions"
                                    : "no command at line " + std::to_string(start.line);
        return std::nullopt;
    }
    case StartPoint::Kind::Bar:
        if (start.bar == 0 || start.beat == 0) break;
        return barReached(start.bar, start.beat);
    }
    *error = "no place to seek";
    return std::nullopt;
}

} // namespace frontend

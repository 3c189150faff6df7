#include "host/start_seek.h"

#include "host/bar_position.h"

#include <algorithm>

namespace host {

namespace {

// How often the recording looks at its cancel flag.
constexpr uint32_t kCancelCheckUnits = 4096;
uint32_t barCounter(dp_player* player)
{
    const BarPosition position = currentBar(player);
    return barValue(position.bar, uint32_t(position.beat));
}

void note(std::vector<PlaceChange>& changes, uint32_t unitsBefore, uint32_t value, uint32_t before)
{
    if (value != (changes.empty() ? before : changes.back().value)) changes.push_back({unitsBefore, value});
}

} // namespace

SongTimeline SongTimeline::record(const std::vector<uint8_t>& image, const SeekLimits& limits)
{
    SongTimeline timeline;
    // Without a host the engine keeps its own defaults: what it does with
    // notes, samples and streams does not move the tracks.
    const dp_options none{};
    dp_player* probe = dp_const(limits.ports, image.data(), image.size(), &none, sizeof none, nullptr, nullptr);
    if (!probe) return timeline;
    const int count = dp_track_positions(probe, nullptr, 0);
    timeline.tracks_.resize(size_t(std::max(count, 0)));
    std::vector<uint32_t> words(timeline.tracks_.size()), before(words.size());
    timeline.firstBar_ = barCounter(probe);
    for (uint32_t unit = 0; unit < limits.longestUnits && !probe->finished(probe); ++unit) {
        if (limits.loopLimit != 0 && probe->min_loop_count(probe) >= limits.loopLimit) break;
        if (limits.cancel && unit % kCancelCheckUnits == 0 && limits.cancel->load()) break;
        if (probe->advance_units(probe, 1, DP_NORMAL_SPEED) != 0) break;
        dp_track_positions(probe, words.data(), count);
        // Most units move no track: one comparison of them all.
        if (words != before) {
            for (size_t t = 0; t < words.size(); ++t) note(timeline.tracks_[t], unit, words[t], 0);
            before = words;
        }
        note(timeline.bars_, unit, barCounter(probe), timeline.firstBar_);
    }
    probe->close(probe);
    return timeline;
}

const std::vector<PlaceChange>& SongTimeline::track(size_t t) const
{
    static const std::vector<PlaceChange> kNone;
    return t < tracks_.size() ? tracks_[t] : kNone;
}

} // namespace host

// Finding where a play from a place begins without playing up to it on
// every request: one silent run of an image from the top records when each
// track's place and the bar counter change; a place is then looked up as
// the number of milliseconds a play from the top runs before the one in
// which the place is reached.  A SilentStart catches a fresh instance up to
// that many, so the first unit played aloud is the one that reaches it.
#pragma once

#include "zemplay.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace host {

struct SeekLimits {
    int ports = 1;
    // The song ends once every endless loop has been passed this often
    // (0: loops repeat for ever).
    uint32_t loopLimit = 0;
    // Songs that never end are recorded this far.
    uint32_t longestUnits = 3'600'000;
    // When given and set, the recording stops early (the image is gone).
    const std::atomic<bool>* cancel = nullptr;
};

// A value that changed in the unit played after `unitsBefore` units.
struct PlaceChange {
    uint32_t unitsBefore = 0;
    uint32_t value = 0;
};

class SongTimeline {
public:
    // Runs image from the top on an instance of its own without a host;
    // empty when the engine refuses the image.
    static SongTimeline record(const std::vector<uint8_t>& image, const SeekLimits& limits);

    // Track t's places as dp_track_positions gives them, from its first
    // change on (before it, 0).
    const std::vector<PlaceChange>& track(size_t t) const;
    size_t trackCount() const { return tracks_.size(); }
    // The bar counter (barValue) at the top, and its changes.
    uint32_t firstBar() const { return firstBar_; }
    const std::vector<PlaceChange>& bars() const { return bars_; }

private:
    std::vector<std::vector<PlaceChange>> tracks_;
    uint32_t firstBar_ = 0;
    std::vector<PlaceChange> bars_;
};

// Bar number and current beat (both from 0) as one ordered value.
inline uint32_t barValue(uint32_t bar, uint32_t beat) { return bar << 8 | (beat & 0xFF); }

} // namespace host

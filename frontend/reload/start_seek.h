// Finding where a play from a place begins: how many milliseconds a play
// from the top runs before the place is reached.  A SilentStart then
// catches a fresh instance up to that many, so the first unit played aloud
// is the one in which the place is reached.
#pragma once

#include "zemplay.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace zemfe {

// Whether an instance has reached the place, asked after every unit.
using PlaceReached = std::function<bool(dp_player* player)>;

struct SeekLimits {
    int ports = 1;
    // The song ends once every endless loop has been passed this often
    // (0: loops repeat for ever).
    uint32_t loopLimit = 0;
    // Songs that never end are searched this far.
    uint32_t longestUnits = 3'600'000;
};

// The units before the one after which `reached` first holds, on an
// instance of its own without a host; none when the song ends (or the
// search gives up) without reaching it, or the image is refused.
std::optional<uint32_t> unitsBeforePlace(const std::vector<uint8_t>& image, const PlaceReached& reached,
                                         const SeekLimits& limits);

} // namespace zemfe

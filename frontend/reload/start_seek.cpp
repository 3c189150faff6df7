#include "start_seek.h"

namespace zemfe {

std::optional<uint32_t> unitsBeforePlace(const std::vector<uint8_t>& image, const PlaceReached& reached,
                                         const SeekLimits& limits)
{
    // Without a host the engine keeps its own defaults: what it does with
    // notes, samples and streams does not move the tracks.
    const dp_options none{};
    dp_player* probe = dp_const(limits.ports, image.data(), image.size(), &none, sizeof none, nullptr, nullptr);
    if (!probe) return std::nullopt;
    std::optional<uint32_t> found;
    for (uint32_t unit = 0; unit < limits.longestUnits && !probe->finished(probe); ++unit) {
        if (limits.loopLimit != 0 && uint32_t(probe->min_loop_count(probe)) >= limits.loopLimit) break;
        if (probe->advance_units(probe, 1, DP_NORMAL_SPEED) != 0) break;
        if (reached(probe)) {
            found = unit;
            break;
        }
    }
    probe->close(probe);
    return found;
}

} // namespace zemfe

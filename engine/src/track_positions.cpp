// Where each track is: what a host needs to show the command that sounds.
#include "core.h"

using namespace zemplay;

extern "C" __attribute__((visibility("default"))) int dp_track_positions(dp_player* player, uint32_t* words, int count)
{
    if (!player || (count > 0 && !words)) return -1;
    const Instance& in = instanceOf(player);
    const unsigned filled = count > 0 ? std::min(static_cast<unsigned>(count), in.trackCount) : 0;
    for (unsigned i = 0; i < filled; ++i) {
        const Track& t = in.tracks[i];
        uint32_t place = ((t.current - t.begin) / 2) & DP_TRACK_WORD_MASK;
        if (t.stopped) place |= DP_TRACK_STOPPED;
        if (t.ended) place |= DP_TRACK_ENDED;
        words[i] = place;
    }
    return static_cast<int>(in.trackCount);
}

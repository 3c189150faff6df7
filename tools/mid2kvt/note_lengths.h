// Note lengths of a track's note-ons.  A note lasts until the next note-on or
// note-off of the same key on any channel (with any velocity), counting that
// event's delta; without one it lasts to the end of the chunk.  When the
// chunk breaks off with a read error before such an event, the length cannot
// be known and the error is reported where the note starts.
//
// One backward pass links each note-on to its ending event and prefix sums
// of the deltas give the lengths, so a track of n events costs O(n) instead
// of a walk ahead from every note-on.
#pragma once

#include "smf/read_error.h"
#include "smf/smf_reader.h"

#include <cstdint>
#include <vector>

namespace mid2kvt {

class NoteLengths {
public:
    // events: the whole event list of a chunk; tailError: the error that
    // ended it (None when the chunk was read to its end).
    void build(const std::vector<smf::SmfEvent>& events, smf::ReadError tailError);

    // The length in ticks (modulo 2^32) of the note-on at `index`, or the
    // tail error when the chunk breaks off before the note ends.
    smf::ReadError lengthAt(size_t index, uint32_t& ticks) const;

private:
    static constexpr uint32_t kNoEnd = UINT32_MAX;

    std::vector<uint32_t> endsAt_;    // per event: index of the ending event, or kNoEnd
    std::vector<uint32_t> deltaSums_; // deltaSums_[k]: deltas of events 0 .. k-1
    smf::ReadError tailError_ = smf::ReadError::None;
};

} // namespace mid2kvt

#include "mid2kvt/note_lengths.h"

#include <array>

namespace mid2kvt {

void NoteLengths::build(const std::vector<smf::SmfEvent>& events, smf::ReadError tailError)
{
    const size_t n = events.size();
    tailError_ = tailError;
    deltaSums_.assign(n + 1, 0);
    for (size_t k = 0; k < n; ++k) deltaSums_[k + 1] = deltaSums_[k] + events[k].delta;

    // Walking backwards, nextEvent[key] is the first later note event of key.
    std::array<uint32_t, 256> nextEvent;
    nextEvent.fill(kNoEnd);
    endsAt_.assign(n, kNoEnd);
    for (size_t k = n; k-- > 0;) {
        const smf::SmfEvent& e = events[k];
        if (!isNoteEvent(e)) continue;
        if (isNoteOn(e)) endsAt_[k] = nextEvent[e.data1];
        nextEvent[e.data1] = static_cast<uint32_t>(k);
    }
}

smf::ReadError NoteLengths::lengthAt(size_t index, uint32_t& ticks) const
{
    const uint32_t end = endsAt_[index];
    if (end == kNoEnd) {
        if (tailError_ != smf::ReadError::None) return tailError_;
        ticks = deltaSums_.back() - deltaSums_[index + 1];
        return smf::ReadError::None;
    }
    ticks = deltaSums_[end + 1] - deltaSums_[index + 1];
    return smf::ReadError::None;
}

} // namespace mid2kvt

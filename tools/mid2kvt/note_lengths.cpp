#include "mid2kvt/note_lengths.h"

#include <array>

namespace mid2kvt {

void NoteLengths::build(const std::vector<smf::SmfEvent>& events, smf::ReadError tail_error)
{
    const size_t n = events.size();
    tail_error_ = tail_error;
    delta_sums_.assign(n + 1, 0);
    for (size_t k = 0; k < n; ++k) delta_sums_[k + 1] = delta_sums_[k] + events[k].delta;

    // Walking backwards, next_event[key] is the first later note event of key.
    std::array<uint32_t, 256> next_event;
    next_event.fill(kNoEnd);
    ends_at_.assign(n, kNoEnd);
    for (size_t k = n; k-- > 0;) {
        const smf::SmfEvent& e = events[k];
        if (!is_note_event(e)) continue;
        if (is_note_on(e)) ends_at_[k] = next_event[e.data1];
        next_event[e.data1] = static_cast<uint32_t>(k);
    }
}

smf::ReadError NoteLengths::length_at(size_t index, uint32_t& ticks) const
{
    const uint32_t end = ends_at_[index];
    if (end == kNoEnd) {
        if (tail_error_ != smf::ReadError::None) return tail_error_;
        ticks = delta_sums_.back() - delta_sums_[index + 1];
        return smf::ReadError::None;
    }
    ticks = delta_sums_[end + 1] - delta_sums_[index + 1];
    return smf::ReadError::None;
}

} // namespace mid2kvt

#include "host/held_notes.h"

#include <algorithm>

namespace host {

bool HeldNotes::off(uint64_t note)
{
    const auto at = std::find(ids_.begin(), ids_.end(), note);
    if (at == ids_.end()) return false;
    *at = ids_.back();
    ids_.pop_back();
    return true;
}

bool HeldNotes::holds(uint64_t note) const { return std::find(ids_.begin(), ids_.end(), note) != ids_.end(); }

HeldNotes HeldNotes::common(const HeldNotes& other) const
{
    HeldNotes both;
    HeldNotes rest = other;
    for (const uint64_t note : ids_)
        if (rest.off(note)) both.on(note);
    return both;
}

} // namespace host

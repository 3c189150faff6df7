// Where the text switches between tracks, recorded by the scan so that each
// emission pass can jump over the text that is not its track's.
//
// Text that does not apply to a track writes nothing there and leaves only
// the settings every pass shares: timebase, condition mask, open loops, the
// line count, and the length and key-pressure registers that loop brackets
// clear.  The scan has already walked the whole text without an error, so
// an emission pass may take those values from the record at the next "#"
// instead of reading the text again.
#pragma once

#include "messages.h"
#include "track_state.h"

#include <cstdint>
#include <vector>

namespace kvt {

// The settings every pass shares, as they stand at one point of the text.
struct SharedState {
    const uint8_t* at;       // the point in the text
    uint32_t line;           // line count at the point
    MessageSpot messageSpot; // the last command begun before the point
    int32_t timebase;
    uint16_t conditionMask;
    uint8_t loopDepth;
    uint8_t loopCounts[kMaxLoopDepth];
    bool bracketSincePrevious; // a «[» or «]» since the previous «#»
};

struct SelectionMap {
    // Set by the scan once it has walked the whole text.
    bool usable = false;
    size_t textLength = 0;
    // Before each «#» command, in text order.
    std::vector<SharedState> beforeSelection;
    // At the end of the text.
    SharedState atEnd{};
    uint32_t timebaseMax = 0;
    // Scan bookkeeping.
    bool bracketSeen = false;
};

// Scan side: called by «#» before it reads its list, and by loop brackets.
void recordSelection(SelectionMap& map, const TrackState& st, const uint8_t* commandStart);
void recordBracket(SelectionMap& map);
// Called when the scan has walked the whole text; the map becomes usable
// unless it grew beyond its bound.
void recordEnd(SelectionMap& map, const TrackState& st, uint32_t timebaseMax);

// Emission side: puts the cursor before the «#» numbered `next` (or at the
// end of the text when there is none) with the shared settings in force
// there.
void jumpToSelection(const SelectionMap& map, size_t next, TrackState& st);

} // namespace kvt

#include "selection_map.h"

#include "messages.h"

#include <algorithm>

namespace kvt {

namespace {

// A text of little but «#» commands would make the record larger than the
// text is worth (a record is a few dozen bytes); such texts are read in
// full instead.
constexpr size_t kBytesPerSelection = 16;
constexpr size_t kSelectionsAlwaysKept = 64;

SharedState snapshot(const SelectionMap& map, const TrackState& st, const uint8_t* at)
{
    SharedState s{};
    s.at = at;
    s.line = st.cur.line;
    s.messageSpot = messageSpot();
    s.timebase = st.timebase;
    s.conditionMask = st.conditionMask;
    s.loopDepth = st.loopDepth;
    std::copy(std::begin(st.loopCounts), std::end(st.loopCounts), s.loopCounts);
    s.bracketSincePrevious = map.bracketSeen;
    return s;
}

bool withinBound(const SelectionMap& map)
{
    return map.beforeSelection.size() <= map.textLength / kBytesPerSelection + kSelectionsAlwaysKept;
}

} // namespace

void recordSelection(SelectionMap& map, const TrackState& st, const uint8_t* commandStart)
{
    if (!withinBound(map)) return;
    map.beforeSelection.push_back(snapshot(map, st, commandStart));
    map.bracketSeen = false;
}

void recordBracket(SelectionMap& map) { map.bracketSeen = true; }

void recordEnd(SelectionMap& map, const TrackState& st, uint32_t timebaseMax)
{
    map.atEnd = snapshot(map, st, st.cur.end);
    map.timebaseMax = timebaseMax;
    map.usable = withinBound(map);
    if (!map.usable) map.beforeSelection.clear();
}

void jumpToSelection(const SelectionMap& map, size_t next, TrackState& st)
{
    const SharedState& s = next < map.beforeSelection.size() ? map.beforeSelection[next] : map.atEnd;
    st.cur.pos = s.at;
    st.cur.line = s.line;
    setMessageSpot(s.messageSpot);
    st.timebase = s.timebase;
    st.conditionMask = s.conditionMask;
    st.loopDepth = s.loopDepth;
    std::copy(std::begin(s.loopCounts), std::end(s.loopCounts), st.loopCounts);
    if (s.bracketSincePrevious) {
        st.lastLength = 0;
        st.lastKeyPressureKey = kNoKeyPressureKey;
    }
}

} // namespace kvt

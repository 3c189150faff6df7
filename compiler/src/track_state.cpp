#include "track_state.h"

namespace kvt {

void resetTrackState(TrackState& st, const uint8_t* text, uint32_t length, PassMode mode, uint8_t trackNumber,
                     uint16_t conditionMask)
{
    st = TrackState{};
    st.cur = {text, text + length, 1};
    st.mode = mode;
    st.trackNumber = trackNumber;
    st.selected.set(0);
    st.active = trackNumber == 0;
    st.timebase = 192;
    st.defaultLength = 48;
    st.octave = 4;
    st.lastKeyPressureKey = kNoKeyPressureKey;
    st.conditionMask = conditionMask;
    st.bendRange = 2;
    for (int i = 0; i < 12; ++i) st.tuning[i] = static_cast<int16_t>(i * 8192 / 12);
    st.chordTiming[1] = 512;
    st.chordTiming[2] = 1024;
}

} // namespace kvt

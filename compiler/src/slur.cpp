#include "slur.h"

#include "commands.h"
#include "image_writer.h"
#include "zem/command_words.h"

#include <algorithm>

namespace kvt {

int32_t bendBetween(const TrackState& st, int pitch, int base)
{
    if (st.bendRange == 0) return 0;
    int64_t span = static_cast<int64_t>(pitch / 12 - base / 12) * 8192 + st.tuning[pitch % 12] - st.tuning[base % 12];
    int64_t bend = span * 12 / st.bendRange;
    return static_cast<int32_t>(std::clamp<int64_t>(bend, -8192, 8191));
}

int64_t measureSlurChain(Parser& p)
{
    const MessageSpot spot = messageSpot();
    Parser ahead{.ctx = p.ctx, .st = p.st};
    ahead.st.mode = PassMode::SlurMeasure;
    ahead.st.slur = true;
    int64_t sum = runCommandLoop(ahead);
    setMessageSpot(spot);
    return sum;
}

void resetBend(Parser& p)
{
    if (p.st.bend == 0) return;
    p.st.bend = 0;
    p.out->word(zem::kGlideReset);
}

void continueSlur(Parser& p, int pitch)
{
    TrackState& st = p.st;
    if (pitch == st.slurBase) {
        resetBend(p);
        return;
    }
    int32_t bend = bendBetween(st, pitch, st.slurBase);
    if (bend == st.bend) return;
    p.out->word(zem::kGlideSet);
    p.out->word(static_cast<uint16_t>(bend));
    st.bend = bend;
}

void startSoundingNote(Parser& p, int pitch, int64_t gate)
{
    TrackState& st = p.st;
    resetBend(p);
    bool hasLength = gate != st.lastLength;
    p.out->word(zem::makeNote(static_cast<unsigned>(pitch), hasLength, false));
    if (hasLength) p.out->length(gate);
    st.lastLength = static_cast<int32_t>(gate);
    st.slurBase = pitch;
}

} // namespace kvt

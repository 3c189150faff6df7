// Portamento groups: «(» p1 p2 [p3] «)» length [«&»], and «()».
#include "commands.h"

#include "image_writer.h"
#include "slur.h"
#include "value_syntax.h"
#include "zem/command_words.h"

namespace kvt {

namespace {

int readGroupPitch(TrackState& st)
{
    if (!startsPitch(st.cur.peekRequired())) compileError(kErrSyntax);
    return readChordPitch(st);
}

void emitPortamento(Parser& p, const int* pitches, int count, int32_t length, bool tie)
{
    TrackState& st = p.st;
    ImageWriter& out = *p.out;
    if (st.slur) {
        continueSlur(p, pitches[0]);
    } else {
        int64_t gate = length;
        if (tie) {
            if (st.hasOption(kOptNoWait)) compileError(kErrSlurImpossible);
            gate += measureSlurChain(p);
        }
        startSoundingNote(p, pitches[0], gate);
    }
    unsigned flags = 0;
    if (count == 3) flags |= zem::kGlideTwoValues;
    if (!st.hasOption(kOptNoWait)) flags |= zem::kGlideWaitAfter;
    if (length != st.lastLength) {
        flags |= zem::kGlideHasLength;
        st.lastLength = length;
    }
    out.word(zem::makeGlide(flags));
    int32_t endBend = bendBetween(st, pitches[count - 1], st.slurBase);
    out.word(static_cast<uint16_t>(endBend));
    if (count == 3) out.word(static_cast<uint16_t>(bendBetween(st, pitches[1], st.slurBase)));
    if (flags & zem::kGlideHasLength) out.length(length);
    st.bend = endBend;
}

} // namespace

int32_t cmdPortamento(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    if (cur.accept(')')) {
        if (st.emitting()) {
            p.out->word(zem::kGlideReset);
            st.bend = 0;
        }
        return 0;
    }
    int pitches[3];
    int count = 2;
    pitches[0] = readGroupPitch(st);
    pitches[1] = readGroupPitch(st);
    if (!cur.accept(')')) {
        pitches[2] = readGroupPitch(st);
        count = 3;
        if (!cur.accept(')')) {
            cur.peekRequired();
            compileError(kErrSyntax);
        }
    }
    int32_t length = readLength(st, 1);
    bool tie = cur.accept('&');
    p.content();
    if (st.emitting()) emitPortamento(p, pitches, count, length, tie);
    if (st.applies()) st.slur = tie;
    return st.measuring() ? length : 0;
}

} // namespace kvt

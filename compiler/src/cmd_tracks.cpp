// Track flow: which tracks the text belongs to, resuming other tracks,
// loops and conditional lines.
#include "commands.h"

#include "image_writer.h"
#include "value_syntax.h"
#include "zem/command_words.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kvt {

namespace {

// A track number below 256.
uint32_t checkTrackNumber(int32_t v)
{
    if (asUnsigned(v) >= 256) compileError(kErrIllegalParameter);
    return asUnsigned(v);
}

void selectRange(TrackSet& set, uint32_t a, uint32_t b)
{
    if (a > b) std::swap(a, b);
    for (uint32_t k = a; k <= b; ++k) set.set(k);
}

// What a left-out number after «,» in a track list means.
enum class AfterComma { EndsList, ReadsZero, Required };

// n[-m] {«,» n[-m]} from its first number n on, calling each(n, m) (m is n
// without «-»).  A left-out m reads as 0 where optionalEnd allows it.
template <typename Each>
void readTrackRanges(Cursor& cur, int32_t n, bool optionalEnd, AfterComma afterComma, Each each)
{
    for (;;) {
        const uint32_t first = checkTrackNumber(n);
        uint32_t last = first;
        if (cur.accept('-')) {
            int32_t m = 0;
            if (optionalEnd)
                cur.tryUnsigned(m);
            else
                m = cur.requireUnsigned();
            last = checkTrackNumber(m);
        }
        each(first, last);
        if (!cur.accept(',')) return;
        switch (afterComma) {
        case AfterComma::EndsList:
            if (!cur.tryUnsigned(n)) return;
            break;
        case AfterComma::ReadsZero:
            n = 0;
            cur.tryUnsigned(n);
            break;
        case AfterComma::Required: n = cur.requireUnsigned(); break;
        }
    }
}

} // namespace

// «#» [n[-m] {«,» n[-m]}]
int32_t cmdTrackSelect(Parser& p, uint8_t)
{
    Cursor& cur = p.st.cur;
    if (p.map != nullptr) {
        if (p.st.mode == PassMode::Scan)
            recordSelection(*p.map, p.st, cur.pos - 1);
        else
            ++p.selectionsDone;
    }
    TrackSet selected;
    int32_t n;
    if (cur.tryUnsigned(n))
        readTrackRanges(cur, n, true, AfterComma::EndsList,
                        [&](uint32_t first, uint32_t last) { selectRange(selected, first, last); });
    p.st.selected = selected;
    p.st.active = selected.test(p.st.trackNumber);
    return 0;
}

namespace {

void writeTrigger(Parser& p, uint32_t k)
{
    if (k == p.st.trackNumber) compileError(kErrIllegalParameter);
    if (!p.ctx.present.test(k)) compileError(kErrMissingTrack);
    p.out->word(zem::makeByteClass(zem::kTrigger, p.ctx.trackIndex[k]));
}

// «W» n[-m] {«,» [n[-m]]}: each track resumed by its own word.
void resumeList(Parser& p)
{
    Cursor& cur = p.st.cur;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    readTrackRanges(cur, cur.requireUnsigned(), false, AfterComma::ReadsZero,
                    [&](uint32_t first, uint32_t last) { ranges.push_back(std::minmax(first, last)); });
    p.content();
    if (!p.st.emitting()) return;
    for (const auto& [first, last] : ranges)
        for (uint32_t k = first; k <= last; ++k) writeTrigger(p, k);
}

// «W!» [n[-m] {«,» n[-m]}]: one word resuming all tracks but the listed.
void resumeAllBut(Parser& p)
{
    Cursor& cur = p.st.cur;
    TrackSet listed;
    int32_t n;
    if (cur.tryUnsigned(n))
        readTrackRanges(cur, n, false, AfterComma::Required,
                        [&](uint32_t first, uint32_t last) { selectRange(listed, first, last); });
    p.content();
    if (!p.st.emitting()) return;
    if (listed.test(p.st.trackNumber)) compileError(kErrIllegalParameter);
    if ((listed & ~p.ctx.present).any()) compileError(kErrMissingTrack);
    size_t count = listed.count();
    p.out->word(zem::makeByteClass(zem::kTriggerAllBut, static_cast<unsigned>(count)));
    for (unsigned k = 0; k < 256; ++k)
        if (listed.test(k)) p.out->byte(p.ctx.trackIndex[k]);
    if (count % 2 != 0) p.out->byte(0);
}

} // namespace

int32_t cmdResume(Parser& p, uint8_t)
{
    if (p.st.cur.accept('!'))
        resumeAllBut(p);
    else
        resumeList(p);
    return 0;
}

// «[» [n], «]», «|»
int32_t cmdLoop(Parser& p, uint8_t c)
{
    TrackState& st = p.st;
    if (c == '[') {
        int32_t count = 2;
        st.cur.tryUnsigned(count);
        if (count == 1 || asUnsigned(count) >= 256) compileError(kErrIllegalParameter);
        if (st.loopDepth == kMaxLoopDepth) compileError(kErrLoopTooDeep);
        st.loopCounts[st.loopDepth++] = static_cast<uint8_t>(count);
    } else {
        if (st.loopDepth == 0) compileError(kErrOutOfLoop);
        if (c == '|' && st.loopCounts[st.loopDepth - 1] == 0) compileError(kErrLoopInfinite);
        if (c == ']') --st.loopDepth;
    }
    if (st.measuring()) compileError(kErrSlurCannotContinue);
    if (st.emitting()) {
        if (c == '[')
            p.out->word(zem::makeByteClass(zem::kLoopBegin, st.loopCounts[st.loopDepth - 1]));
        else
            p.out->word(c == ']' ? zem::kLoopEnd : zem::kLoopBreak);
        if (c != '|') st.bend = kBendUnknown;
    }
    if (c != '|') {
        if (p.map != nullptr && st.mode == PassMode::Scan) recordBracket(*p.map);
        // After a bracket the next note and key pressure cannot rely on
        // what the engine last saw.
        st.lastLength = 0;
        st.lastKeyPressureKey = kNoKeyPressureKey;
    }
    return 0;
}

// «\» m [«,» n]: the rest of the line counts only when the condition mask
// has every bit of m and no bit of n.
int32_t cmdConditionalLine(Parser& p, uint8_t)
{
    Cursor& cur = p.st.cur;
    int32_t all = 0, none = 0;
    cur.tryUnsigned(all);
    if (cur.accept(',')) cur.tryUnsigned(none);
    if (asUnsigned(all) > 0xFFFF || asUnsigned(none) > 0xFFFF) compileError(kErrIllegalParameter);
    uint32_t mask = p.st.conditionMask;
    bool compiled = (mask & asUnsigned(all)) == asUnsigned(all) && (mask & asUnsigned(none)) == 0;
    if (!compiled) cur.skipToLineEnd();
    return 0;
}

} // namespace kvt

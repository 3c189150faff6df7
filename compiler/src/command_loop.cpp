#include "commands.h"

#include "image_writer.h"
#include "source_map_builder.h"
#include "zem/command_words.h"

#include <array>

namespace kvt {

namespace {

int32_t cmdUndefined(Parser&, uint8_t) { compileError(kErrUndefinedCommand); }

// Handlers by command character; characters from TAB to "~" only, the
// rest are undefined commands.
constexpr size_t kCommandChars = '~' + 1;

constexpr std::array<CommandHandler, kCommandChars> makeDispatchTable()
{
    std::array<CommandHandler, kCommandChars> t{};
    for (auto& h : t) h = cmdUndefined;
    t['\t'] = t['\r'] = t[' '] = cmdSkipSpace;
    t['\n'] = cmdLineFeed;
    t[','] = cmdStrayComma;
    t['/'] = cmdComment;
    t['#'] = cmdTrackSelect;
    t['%'] = cmdTimebase;
    t[';'] = cmdText;
    t['='] = cmdSetting;
    t['?'] = cmdInfo;
    t['H'] = cmdStop;
    t['T'] = cmdTempo;
    t['W'] = cmdResume;
    t['['] = t[']'] = t['|'] = cmdLoop;
    t['\\'] = cmdConditionalLine;
    t['`'] = cmdOptionBits;
    t['{'] = cmdRawWords;
    for (char n = 'A'; n <= 'G'; ++n) t[static_cast<size_t>(n)] = cmdNote;
    t['R'] = cmdRest;
    t['L'] = cmdDefaultLength;
    t['O'] = t['<'] = t['>'] = cmdOctave;
    t['S'] = cmdKeySignature;
    t['U'] = cmdVelocity;
    t['~'] = t['_'] = cmdVelocityStep;
    t['Q'] = cmdGate;
    t['\''] = cmdChord;
    t['('] = cmdPortamento;
    t[':'] = cmdChannelPort;
    t['@'] = cmdProgram;
    t['I'] = cmdBankSelect;
    t['N'] = cmdParameterNumber;
    t['P'] = t['V'] = t['X'] = t['Y'] = cmdController;
    t['K'] = cmdPitchBend;
    t['Z'] = cmdPressure;
    t['J'] = cmdModSwitch;
    t['M'] = cmdModSet;
    t['$'] = cmdMacro;
    return t;
}

constexpr auto kDispatch = makeDispatchTable();

} // namespace

int32_t cmdSkipSpace(Parser&, uint8_t) { return 0; }

int32_t cmdLineFeed(Parser& p, uint8_t)
{
    ++p.st.cur.line;
    return 0;
}

int32_t cmdComment(Parser& p, uint8_t)
{
    p.st.cur.skipToLineEnd();
    return 0;
}

int32_t cmdStrayComma(Parser&, uint8_t) { compileError(kErrTooManyParameters); }

namespace {

// With kMapping (emission with a source map only) each command that writes
// words is reported with its text; the loop without it stays as lean as
// before the map existed.
template <bool kMapping> int64_t runLoop(Parser& p)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    int64_t measured = 0;
    const bool jumpsOverOtherTracks = p.map != nullptr && st.mode == PassMode::Emit;
    while (cur.pos != cur.end) {
        if (jumpsOverOtherTracks && !st.active) {
            jumpToSelection(*p.map, p.selectionsDone, st);
            if (cur.pos == cur.end) break;
        }
        while (cur.pos != cur.end && (*cur.pos == ' ' || *cur.pos == '\t')) ++cur.pos;
        setMessageSpot({cur.line, cur.pos});
        if (cur.pos == cur.end) break;
        uint8_t c = upper(*cur.pos++);
        CommandHandler handler = c < kDispatch.size() ? kDispatch[c] : cmdUndefined;
        if constexpr (kMapping) {
            const uint8_t* start = cur.pos - 1;
            const uint32_t before = p.out->position();
            handler(p, c);
            if (p.out->position() != before) p.sourceMap->command(before, start, cur.pos);
        } else {
            int32_t length = handler(p, c);
            if (st.mode == PassMode::SlurMeasure) {
                measured += length;
                if (!st.slur) return measured;
            }
        }
    }
    switch (st.mode) {
    case PassMode::Scan: break;
    case PassMode::Emit:
        if (st.loopDepth != 0) compileError(kErrLoopStillOpen);
        if constexpr (kMapping) p.sourceMap->noCommand(p.out->position());
        p.out->word(zem::kEnd);
        break;
    case PassMode::SlurMeasure: compileError(kErrSlurCannotContinue);
    }
    return measured;
}

} // namespace

int64_t runCommandLoop(Parser& p)
{
    if (p.sourceMap != nullptr && p.st.mode == PassMode::Emit) return runLoop<true>(p);
    return runLoop<false>(p);
}

void Parser::markContent()
{
    *found |= st.selected & interest;
    if ((*found & interest) == interest) throw ScanComplete{};
}

} // namespace kvt

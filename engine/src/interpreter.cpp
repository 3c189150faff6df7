#include "commands.h"

#include "channel.h"
#include "clock.h"
#include "core.h"
#include "notes.h"

#include "zem/command_words.h"

#include <array>

namespace zemplay {

uint16_t readWord(Exec& x)
{
    if (uint64_t{x.t.pos} + 2 > x.t.end) {
        raiseError(x.in, DP_OUT_OF_TRACK_DATA);
        x.t.pos = x.t.end;
        return 0;
    }
    uint16_t w = zem::readU16(x.in.image + x.t.pos);
    x.t.pos += 2;
    return w;
}

uint32_t readLength(Exec& x)
{
    uint16_t first = readWord(x);
    uint16_t second = zem::lengthHasSecondWord(first) ? readWord(x) : 0;
    return zem::decodeLength(first, second);
}

namespace {

void endTrack(Track& t)
{
    t.ended = true;
    t.running = false;
}

} // namespace

const uint8_t* takePayload(Exec& x, uint32_t count, uint32_t size)
{
    if (uint64_t{x.t.pos} + count > x.t.end) {
        raiseError(x.in, DP_FIELD_OVERFLOW);
        x.t.pos = x.t.end;
        endTrack(x.t);
        return nullptr;
    }
    const uint8_t* bytes = x.in.image + x.t.pos;
    uint64_t next = uint64_t{x.t.pos} + size;
    x.t.pos = next > x.t.end ? x.t.end : static_cast<uint32_t>(next);
    return bytes;
}

namespace {

// ---- Time and notes -------------------------------------------------------

// «WAIT» ticks
void cmdWait(Exec& x, uint16_t w) { addWait(x.in, x.t, zem::waitTicks(w)); }

// «WAIT_LONG» high word
void cmdWaitLong(Exec& x, uint16_t w)
{
    uint32_t high = readWord(x);
    addWait(x.in, x.t, zem::decodeLength(w, static_cast<uint16_t>(high)));
}

// «NOTE» [length]
void cmdNote(Exec& x, uint16_t w)
{
    uint32_t length = zem::noteHasLength(w) ? readLength(x) : x.t.lastLength;
    startNote(x.in, x.t, zem::noteKey(w), length, zem::noteWaitAfter(w));
}

void cmdPortChannel(Exec& x, uint16_t w)
{
    x.t.port = static_cast<uint8_t>(zem::portField(w));
    x.t.channel = static_cast<uint8_t>(zem::channelField(w));
}

// ---- Track synchronisation ----------------------------------------------------

void resume(Exec& x, unsigned target)
{
    Track& other = x.in.tracks[target];
    if (!other.stopped || other.resumePending) return;
    other.resumePending = true;
    other.credit = x.t.credit + 1;
}

void cmdTrigger(Exec& x, uint16_t w)
{
    unsigned target = zem::byteValue(w);
    if (target < x.in.trackCount) resume(x, target);
}

// «TRIGGER_ALL_BUT» n indexes, two per word
void cmdTriggerAllBut(Exec& x, uint16_t w)
{
    unsigned n = zem::byteValue(w);
    std::array<uint64_t, 4> listed{};
    auto list = [&](unsigned track) { listed[track >> 6] |= uint64_t{1} << (track & 63); };
    for (unsigned i = 0; i < n; i += 2) {
        uint16_t pair = readWord(x);
        list(zem::operandLowByte(pair));
        if (i + 1 < n) list(zem::operandHighByte(pair));
    }
    for (unsigned i = 0; i < x.in.trackCount; ++i) {
        bool isListed = i < 256 && ((listed[i >> 6] >> (i & 63)) & 1u);
        if (!isListed) resume(x, i);
    }
}

void cmdStop(Exec& x, uint16_t)
{
    x.t.stopped = true;
    x.t.running = false;
}

void cmdEnd(Exec& x, uint16_t) { endTrack(x.t); }

// ---- Loops ------------------------------------------------------------------------

void cmdLoopBegin(Exec& x, uint16_t w)
{
    if (x.t.loopDepth >= kLoopEntries) {
        raiseError(x.in, DP_LOOPSTACK_OVERFLOW);
        return;
    }
    x.t.loops[x.t.loopDepth++] = {zem::byteValue(w), x.t.pos, 0};
    x.t.timePassed = false;
}

// The innermost open loop; null, with the error raised, outside every loop.
LoopEntry* innermostLoop(Exec& x)
{
    if (x.t.loopDepth == 0) {
        raiseError(x.in, DP_LOOPSTACK_UNDERFLOW);
        return nullptr;
    }
    return &x.t.loops[x.t.loopDepth - 1];
}

void cmdLoopEnd(Exec& x, uint16_t)
{
    LoopEntry* loop = innermostLoop(x);
    if (!loop) return;
    Track& t = x.t;
    LoopEntry& e = *loop;
    e.end = t.pos;
    if (e.counter > 1) {
        --e.counter;
        t.pos = e.start;
    } else if (e.counter == 1) {
        --t.loopDepth;
    } else if (!t.timePassed) {
        // An endless loop in which no time passes would never let time pass.
        --t.loopDepth;
    } else {
        ++t.loopPasses;
        const auto& ask = x.in.cb.endless_loop_pass;
        bool leave = ask && ask(x.in.user, static_cast<int>(x.index), t.loopPasses) != 0;
        if (leave)
            --t.loopDepth;
        else
            t.pos = e.start;
    }
}

void cmdLoopBreak(Exec& x, uint16_t)
{
    const LoopEntry* loop = innermostLoop(x);
    if (!loop || loop->counter != 1) return;
    --x.t.loopDepth;
    if (loop->end != 0) x.t.pos = loop->end;
}

// ---- Tempo ------------------------------------------------------------------------

uint32_t tempoOperand(Exec& x, uint16_t w) { return zem::tempoValue(w, readWord(x)); }

void cmdTempo(Exec& x, uint16_t w) { setTempo(x.in, x.index, tempoOperand(x, w)); }

// «TEMPO_SLIDE» t length
void cmdTempoSlide(Exec& x, uint16_t w)
{
    uint32_t goal = tempoOperand(x, w);
    startTempoSlide(x.in, goal, false, 0, readLength(x));
}

// «TEMPO_CURVE» t m1 m2 length
void cmdTempoCurve(Exec& x, uint16_t w)
{
    uint32_t goal = tempoOperand(x, w);
    uint32_t m1 = readWord(x);
    uint32_t m2 = readWord(x);
    startTempoSlide(x.in, goal, true, (m1 << 16) + m2, readLength(x));
}

void cmdTimebase(Exec& x, uint16_t) { x.in.timebaseRegister = readWord(x); }

// ---- Messages -----------------------------------------------------------------------

void cmdSysex(Exec& x, uint16_t w)
{
    uint32_t n = zem::byteValue(w);
    if (const uint8_t* bytes = takePayload(x, n, zem::bytePayloadSize(n))) sendExclusive(x.in, x.index, bytes, n);
}

// TEXT goes to the host only from track 0; its NUL is part of the payload.
void cmdText(Exec& x, uint16_t w)
{
    uint32_t n = zem::textBytes(w);
    const uint8_t* bytes = takePayload(x, n + 1, zem::textPayloadSize(n));
    if (bytes && x.index == 0 && x.in.cb.text)
        noteStatus(x.in, x.in.cb.text(x.in.user, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(n)));
}

void cmdAllNotesOff(Exec& x, uint16_t) { releaseTrackNotes(x.in, x.t); }

void cmdUndefined(Exec& x, uint16_t) { raiseError(x.in, DP_UNDEFINED_COMMAND); }

// ---- Dispatch ------------------------------------------------------------------------
// The tables deduce their sizes, so a row left out fails the size assertion
// below instead of becoming a handler read past the table's end.

// Class 0xC by bits 8-11.
constexpr auto kClassC = std::to_array<Handler>({
    cmdNote,
    cmdNote,
    cmdPortChannel,
    cmdProgramOrChanPressure,
    cmdKeyPressure,
    cmdSlide,
    cmdTrigger,
    cmdSysex,
    cmdCtrlCommitClear,
    cmdKeypCommitClear,
    cmdVelAdd,
    cmdVelSet,
    cmdLoopBegin,
    cmdTempo,
    cmdTempoSlide,
    cmdTempoCurve,
});
static_assert(kClassC.size() == zem::kSubclassCount);

// 0xFFF8..0xFFFF; the rest of 0xFFD8.. is extendedChannelHandler's.
constexpr auto kClassFFTail = std::to_array<Handler>({
    cmdMeta,
    cmdTimebase,
    cmdAllNotesOff,
    nullptr /* MOD_SWITCH: channel family */,
    cmdLoopEnd,
    cmdLoopBreak,
    cmdStop,
    cmdEnd,
});
static_assert(kClassFFTail.size() == 0x10000 - zem::kMeta);

void cmdClassC(Exec& x, uint16_t w) { kClassC[zem::subclass(w)](x, w); }

void cmdClassF(Exec& x, uint16_t w)
{
    switch (zem::subclass(w)) {
    case 0x0: cmdParam(x, w); return;
    case 0x1: cmdRvelAdd(x, w); return;
    case 0x2: cmdTriggerAllBut(x, w); return;
    case 0xF: break;
    default: cmdUndefined(x, w); return;
    }
    Handler h = w >= zem::kMeta ? kClassFFTail[w - zem::kMeta] : nullptr;
    if (!h) h = extendedChannelHandler(w);
    (h ? h : cmdUndefined)(x, w);
}

// By the top four bits.
constexpr auto kByTopNibble = std::to_array<Handler>({
    cmdWait,
    cmdWaitLong,
    cmdModSet,
    cmdModSet,
    cmdCtrl,
    cmdCtrl,
    cmdCtrl,
    cmdCtrl,
    cmdBend,
    cmdBend,
    cmdBend,
    cmdBend,
    cmdClassC,
    cmdMacro,
    cmdText,
    cmdClassF,
});
static_assert(kByTopNibble.size() == zem::kTopNibbleCount);

} // namespace

void executeCommand(Instance& in, unsigned index)
{
    Track& t = in.tracks[index];
    Exec x{in, t, index};
    in.cmdOffset = t.current = t.pos;
    if (uint64_t{t.pos} + 2 > t.end) {
        // Nothing left to read: report it, and the track has ended.
        raiseError(in, DP_OUT_OF_TRACK_DATA);
        endTrack(t);
        return;
    }
    uint16_t w = zem::readU16(in.image + t.pos);
    t.pos += 2;
    kByTopNibble[zem::topNibble(w)](x, w);
    if (t.credit) {
        uint32_t m = t.wait < t.credit ? t.wait : t.credit;
        t.wait -= m;
        t.credit -= m;
    }
}

} // namespace zemplay

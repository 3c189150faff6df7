// Commands that change channel values, slides, velocities and the gate.
#include "commands.h"

#include "channel.h"
#include "core.h"
#include "modulators.h"
#include "slides.h"
#include "values.h"

#include "zem/command_words.h"

#include <array>

namespace zemplay {

namespace {

unsigned transposedKey(const Track& t, unsigned written)
{
    int64_t key = int64_t{written} + t.transpose;
    return key < 0 || key > 127 ? 127u : static_cast<unsigned>(key);
}

int32_t clampOffset126(int64_t v) { return clampI64(v, -126, 126); }

} // namespace

// «MOD_SET» value
void cmdModSet(Exec& x, uint16_t w)
{
    int16_t value = zem::signedWord(readWord(x));
    modSet(x.in, x.t, zem::modTarget(w), zem::modSetParameter(w), value);
}

void cmdCtrl(Exec& x, uint16_t w)
{
    unsigned c = zem::ctrlNumber(w);
    if ((c == 96 || c == 97) && portExists(x.in, x.t.port) && channelOf(x.in, x.t.port, x.t.channel).dataIncrement) {
        // Data increment/decrement for receivers that lack them: data entry
        // one step up or down.
        const Channel& ch = channelOf(x.in, x.t.port, x.t.channel);
        setValue(x.in, x.t, SlideTarget::Controller, 6, ch.ctrlBase[6] + (c == 96 ? 1 : -1));
        return;
    }
    setValue(x.in, x.t, SlideTarget::Controller, c, static_cast<int32_t>(zem::ctrlValue(w)));
}

void cmdBend(Exec& x, uint16_t w) { setValue(x.in, x.t, SlideTarget::Bend, 0, zem::bendValue(w)); }

void cmdProgramOrChanPressure(Exec& x, uint16_t w)
{
    if (zem::isSecondHalf(w)) {
        setValue(x.in, x.t, SlideTarget::ChanPressure, 0, zem::sevenBitValue(w));
        return;
    }
    if (portExists(x.in, x.t.port)) sendProgram(x.in, x.index, x.t.port, x.t.channel, zem::sevenBitValue(w), false);
}

// «KEY_PRESSURE» [key]
void cmdKeyPressure(Exec& x, uint16_t w)
{
    if (zem::keyPressureHasKey(w))
        x.t.lastKeypKey = static_cast<uint8_t>(transposedKey(x.t, zem::sevenBitValue(readWord(x))));
    setValue(x.in, x.t, SlideTarget::KeyPressure, x.t.lastKeypKey, zem::sevenBitValue(w));
}

// «SLIDE» w1 [w2] [length]
void cmdSlide(Exec& x, uint16_t w)
{
    unsigned flags = zem::slideFlags(w);
    uint16_t w1 = readWord(x);
    // A channel-pressure slide carries B in the first word.
    bool hasSecondWord = (flags & zem::kSlideTwoValues) && zem::slideKind(w) != zem::SlideKind::ChanPressure;
    uint16_t w2 = hasSecondWord ? readWord(x) : 0;
    uint32_t length = (flags & zem::kSlideHasLength) ? readLength(x) : x.t.lastLength;
    if (flags & zem::kSlideWaitAfter) addWait(x.in, x.t, length);
    x.t.lastLength = length;
    if (!portExists(x.in, x.t.port)) return;

    SlideTarget kind;
    unsigned number = 0;
    int32_t a, b;
    int32_t relative = 0;
    Channel& ch = channelOf(x.in, x.t.port, x.t.channel);
    switch (zem::slideKind(w)) {
    case zem::SlideKind::Bend:
        kind = SlideTarget::Bend;
        a = zem::signedWord(w1);
        b = zem::signedWord(w2);
        relative = ch.bendBase + ch.bendOffset;
        break;
    case zem::SlideKind::ChanPressure:
        kind = SlideTarget::ChanPressure;
        a = zem::operandLowByte(w1);
        b = zem::operandHighByte(w1);
        if (flags & zem::kSlideRelA) a = zem::signedByte(w1);
        if (flags & zem::kSlideRelB) b = zem::signedByte(w1 >> 8);
        relative = ch.chanpBase + ch.chanpOffset;
        break;
    default: {
        bool isController = zem::slideKind(w) == zem::SlideKind::Controller;
        kind = isController ? SlideTarget::Controller : SlideTarget::KeyPressure;
        number = zem::operandNumber(w1);
        ValueRef v = valueRef(ch, kind, number);
        a = (flags & zem::kSlideRelA) ? zem::signedByte(w1) : zem::operandLowByte(w1);
        b = (flags & zem::kSlideRelB) ? zem::signedByte(w2) : zem::operandLowByte(w2);
        relative = *v.base + *v.offset;
        break;
    }
    }
    if (flags & zem::kSlideRelA) a += relative;
    if (flags & zem::kSlideRelB) b += relative;
    startSlide(x.in, x.t, slideRecord(x.t, kind, number), a, (flags & zem::kSlideTwoValues) != 0, b, length);
}

void cmdCtrlCommitClear(Exec& x, uint16_t w)
{
    if (zem::isSecondHalf(w))
        clearValue(x.in, x.t, SlideTarget::Controller, zem::sevenBitValue(w));
    else
        commitValue(x.in, x.t, SlideTarget::Controller, zem::sevenBitValue(w));
}

void cmdKeypCommitClear(Exec& x, uint16_t w)
{
    unsigned key = transposedKey(x.t, zem::sevenBitValue(w));
    if (zem::isSecondHalf(w))
        clearValue(x.in, x.t, SlideTarget::KeyPressure, key);
    else
        commitValue(x.in, x.t, SlideTarget::KeyPressure, key);
}

void cmdVelAdd(Exec& x, uint16_t w) { x.t.velOffset = clampOffset126(int64_t{x.t.velOffset} + zem::signedByte(w)); }

void cmdVelSet(Exec& x, uint16_t w)
{
    if (zem::isSecondHalf(w)) {
        x.t.rvel = zem::sevenBitValue(w);
        x.t.rvelOffset = 0;
    } else {
        x.t.velocity = zem::sevenBitValue(w);
        x.t.velOffset = 0;
    }
}

void cmdRvelAdd(Exec& x, uint16_t w) { x.t.rvelOffset = clampOffset126(int64_t{x.t.rvelOffset} + zem::signedByte(w)); }

namespace {

void resetRatio(Track& t)
{
    t.ratioBase = t.ratioCur = 1024;
    t.ratioAcc = 0;
}
void resetGateOffset(Track& t)
{
    t.ofsBase = t.ofsCur = 0;
    t.ofsAcc = 0;
}
bool exclusiveGate(const Track& t) { return (t.gateFlags & zem::kGateExclusive) != 0; }

// The gate ratio and the gate offset each keep a base, an accumulated change
// and the current value; under the exclusive-gate flag, clearing one returns
// the other to its neutral value.
struct GateValue {
    int32_t Track::*base;
    int32_t Track::*current;
    int32_t Track::*accumulated;
    int32_t low, high;
    void (*resetOther)(Track&);
};
constexpr GateValue kGateRatio{&Track::ratioBase, &Track::ratioCur, &Track::ratioAcc, 0, 32767, resetGateOffset};
constexpr GateValue kGateOffset{&Track::ofsBase, &Track::ofsCur, &Track::ofsAcc, -32768, 32767, resetRatio};

template <const GateValue& G> void gateAdd(Exec& x, uint16_t)
{
    Track& t = x.t;
    t.*(G.accumulated) =
        clampI64(int64_t{t.*(G.accumulated)} + zem::signedWord(readWord(x)), INT32_MIN / 2, INT32_MAX / 2);
    t.*(G.current) = clampI64(int64_t{t.*(G.base)} + t.*(G.accumulated), G.low, G.high);
}
template <const GateValue& G> void gateCommit(Exec& x, uint16_t)
{
    x.t.*(G.base) = x.t.*(G.current);
    x.t.*(G.accumulated) = 0;
}
template <const GateValue& G> void gateClear(Exec& x, uint16_t)
{
    x.t.*(G.accumulated) = 0;
    x.t.*(G.current) = x.t.*(G.base);
    if (exclusiveGate(x.t)) G.resetOther(x.t);
}
constexpr Handler gateOfsAdd = gateAdd<kGateOffset>, gateOfsCommit = gateCommit<kGateOffset>,
                  gateOfsClear = gateClear<kGateOffset>;
constexpr Handler gateRatioAdd = gateAdd<kGateRatio>, gateRatioCommit = gateCommit<kGateRatio>,
                  gateRatioClear = gateClear<kGateRatio>;

void rvelCommit(Exec& x, uint16_t)
{
    x.t.rvel = clampI64(int64_t{x.t.rvel} + x.t.rvelOffset, 1, 127);
    x.t.rvelOffset = 0;
}
void rvelClear(Exec& x, uint16_t) { x.t.rvelOffset = 0; }

void gateOfsSet(Exec& x, uint16_t)
{
    x.t.ofsBase = x.t.ofsCur = zem::signedWord(readWord(x));
    if (exclusiveGate(x.t)) resetRatio(x.t);
}

void glideReset(Exec& x, uint16_t) { resetGlide(x.in, x.t); }
void glideSet(Exec& x, uint16_t) { setGlide(x.in, x.t, zem::signedWord(readWord(x))); }

// «GLIDE» target [middle] [length]
void glide(Exec& x, uint16_t w)
{
    int32_t goal = zem::signedWord(readWord(x));
    unsigned flags = zem::glideFlags(w);
    int32_t middle = (flags & zem::kGlideTwoValues) ? zem::signedWord(readWord(x)) : 0;
    uint32_t length = (flags & zem::kGlideHasLength) ? readLength(x) : x.t.lastLength;
    if (flags & zem::kGlideWaitAfter) addWait(x.in, x.t, length);
    x.t.lastLength = length;
    if (portExists(x.in, x.t.port))
        startSlide(x.in, x.t, x.t.glideSlide, goal, (flags & zem::kGlideTwoValues) != 0, middle, length);
}

void ctrlAdd(Exec& x, uint16_t)
{
    uint16_t v = readWord(x);
    addValue(x.in, x.t, SlideTarget::Controller, zem::operandNumber(v), zem::signedByte(v));
}
void bendAdd(Exec& x, uint16_t) { addValue(x.in, x.t, SlideTarget::Bend, 0, zem::signedWord(readWord(x))); }
void keypAdd(Exec& x, uint16_t)
{
    uint16_t v = readWord(x);
    addValue(x.in, x.t, SlideTarget::KeyPressure, transposedKey(x.t, zem::operandNumber(v)), zem::signedByte(v));
}
void chanpAdd(Exec& x, uint16_t) { addValue(x.in, x.t, SlideTarget::ChanPressure, 0, zem::signedByte(readWord(x))); }

void stateSave(Exec& x, uint16_t)
{
    Track& t = x.t;
    t.saved = {t.velocity, t.velOffset, t.rvel,    t.rvelOffset, t.ratioBase,
               t.ratioCur, t.ratioAcc,  t.ofsBase, t.ofsCur,     t.ofsAcc};
}
void stateRestore(Exec& x, uint16_t)
{
    Track& t = x.t;
    const SavedState& s = t.saved;
    t.velocity = s.velocity;
    t.velOffset = s.velOffset;
    t.rvel = s.rvel;
    t.rvelOffset = s.rvelOffset;
    t.ratioBase = s.ratioBase;
    t.ratioCur = s.ratioCur;
    t.ratioAcc = s.ratioAcc;
    t.ofsBase = s.ofsBase;
    t.ofsCur = s.ofsCur;
    t.ofsAcc = s.ofsAcc;
}

void gateRatioSet(Exec& x, uint16_t)
{
    // The whole word is kept: a note clamps the ratio to 0..32767 when it
    // uses it, so 0x8000 is the longest gate, not the shortest.
    x.t.ratioBase = x.t.ratioCur = readWord(x);
    x.t.ratioAcc = 0;
    if (exclusiveGate(x.t)) resetGateOffset(x.t);
}

void velCommit(Exec& x, uint16_t)
{
    x.t.velocity = clampI64(int64_t{x.t.velocity} + x.t.velOffset, 1, 127);
    x.t.velOffset = 0;
}
void velClear(Exec& x, uint16_t) { x.t.velOffset = 0; }
void bendCommit(Exec& x, uint16_t) { commitValue(x.in, x.t, SlideTarget::Bend, 0); }
void bendClear(Exec& x, uint16_t) { clearValue(x.in, x.t, SlideTarget::Bend, 0); }
void chanpCommit(Exec& x, uint16_t) { commitValue(x.in, x.t, SlideTarget::ChanPressure, 0); }
void chanpClear(Exec& x, uint16_t) { clearValue(x.in, x.t, SlideTarget::ChanPressure, 0); }
void modSwitchCmd(Exec& x, uint16_t) { modSwitch(x.in, x.t, readWord(x)); }

// 0xFFD8..0xFFF7 in order.
constexpr auto kExtended = std::to_array<Handler>({
    rvelCommit,      rvelClear,      gateOfsSet, gateOfsAdd, gateOfsCommit, gateOfsClear, glideReset,   glideSet,
    glide,           glide,          glide,      glide,      glide,         glide,        glide,        glide,
    ctrlAdd,         bendAdd,        keypAdd,    chanpAdd,   stateSave,     stateRestore, gateRatioSet, gateRatioAdd,
    gateRatioCommit, gateRatioClear, velCommit,  velClear,   bendCommit,    bendClear,    chanpCommit,  chanpClear,
});
static_assert(kExtended.size() == zem::kMeta - zem::kRvelCommit);

} // namespace

Handler extendedChannelHandler(uint16_t w)
{
    if (w == zem::kModSwitch) return modSwitchCmd;
    if (w >= zem::kRvelCommit && w < zem::kMeta) return kExtended[w - zem::kRvelCommit];
    return nullptr;
}

} // namespace zemplay

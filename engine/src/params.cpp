// PARAM registers: one handler per register, chosen from a table.
#include "commands.h"

#include "channel.h"
#include "core.h"
#include "modulators.h"
#include "notes.h"
#include "voice_layer.h"

#include "zem/command_words.h"

#include <array>

namespace zemplay {

namespace {

using ParamHandler = void (*)(Exec&, unsigned reg, uint16_t v);

Channel* currentChannel(Exec& x)
{
    return portExists(x.in, x.t.port) ? &channelOf(x.in, x.t.port, x.t.channel) : nullptr;
}

void slideInterval(Exec& x, unsigned, uint16_t v) { x.t.slideInterval = v; }
void slideRandom(Exec& x, unsigned, uint16_t v) { x.t.slideRandom = v; }
void tempoSlideInterval(Exec& x, unsigned, uint16_t v) { x.in.tempoSlideInterval = v; }
void tempoSlideRandom(Exec& x, unsigned, uint16_t v) { x.in.tempoSlideRandom = v; }
void transposeSet(Exec& x, unsigned, uint16_t v) { x.t.transpose = zem::signedWord(v); }
void transposeAdd(Exec& x, unsigned, uint16_t v)
{
    x.t.transpose = static_cast<int16_t>(clamp16(int64_t{x.t.transpose} + zem::signedWord(v)));
}
void hold(Exec& x, unsigned reg, uint16_t v) { setHold(x.in, x.t, reg == zem::kParamHoldB, v != 0); }
void sysexHeader(Exec& x, unsigned reg, uint16_t v)
{
    x.t.sysex[reg - zem::kParamSysexManufacturer] = static_cast<uint8_t>(v);
}

void finePitch(Exec& x, unsigned reg, uint16_t v)
{
    Channel* ch = currentChannel(x);
    if (!ch) return;
    int32_t s = zem::signedWord(v);
    ch->finePitch = reg == zem::kParamFinePitchSet ? s : clamp16(int64_t{ch->finePitch} + s);
    sendBend(x.in, x.index, x.t.port, x.t.channel, false);
}

void dataIncrement(Exec& x, unsigned, uint16_t v)
{
    if (Channel* ch = currentChannel(x)) ch->dataIncrement = static_cast<uint8_t>(v);
}
void bendScale(Exec& x, unsigned, uint16_t v) { x.t.bendScale = v; }
void controllerFilter(Exec& x, unsigned reg, uint16_t v) { x.in.ctrlFilter[reg - zem::kParamControllerFilter] = v; }
void trackFilter(Exec& x, unsigned, uint16_t v) { x.t.filter = static_cast<uint8_t>(v); }

void newBar(BarCounter& b)
{
    if (b.bar != 0xFFFF) ++b.bar;
    b.tickInBar = 0;
    b.beat = 0;
    b.tickInBeat = 0;
}

void barControl(Exec& x, unsigned, uint16_t v)
{
    BarCounter& b = x.in.bar;
    switch (v) {
    case 0:
        if (b.mode == 2 && b.tickInBar >= b.barLength) newBar(b);
        b.mode = 0;
        break;
    case 1:
    case 2: b.mode = static_cast<uint8_t>(v); break;
    case 3:
        b.tickInBar = 0;
        b.beat = 0;
        break;
    case 4: newBar(b); break;
    case 5:
        b.bar = 0;
        b.beat = 0;
        b.tickInBar = 0;
        b.savedBar = 0;
        b.savedBeat = 0;
        b.savedTick = 0;
        break;
    case 6:
        b.savedBeat = b.beat;
        b.savedBar = b.bar;
        b.savedTick = b.tickInBar;
        break;
    case 7:
        b.beat = b.savedBeat;
        b.bar = b.savedBar;
        b.tickInBar = b.savedTick;
        break;
    default: raiseError(x.in, DP_ILLEGAL_PARAMETER); break;
    }
}

void barTickAdd(Exec& x, unsigned, uint16_t v) { x.in.bar.tickInBar += v; }
void velocityCurve(Exec& x, unsigned, uint16_t v)
{
    if (portExists(x.in, x.t.port)) x.in.ports[x.t.port].velocityCurve = static_cast<uint8_t>(v);
}
void velocityScale(Exec& x, unsigned, uint16_t v) { x.t.velScale = v; }
void releaseScale(Exec& x, unsigned, uint16_t v) { x.t.rvelScale = v; }
void modulatorOption(Exec& x, unsigned reg, uint16_t v)
{
    unsigned n = reg - zem::kParamModOption;
    modOption(x.in, x.t, zem::operandLowByte(v), n / 2, (n & 1) != 0);
}
void gateBase(Exec& x, unsigned, uint16_t v) { x.t.gateBase = v; }
void gateFlags(Exec& x, unsigned, uint16_t v) { x.t.gateFlags = static_cast<uint8_t>(v); }
void gateDenominator(Exec& x, unsigned, uint16_t v) { x.t.gateDenominator = v ? v : 1024; }

void outputMode(Exec& x, unsigned, uint16_t v)
{
    if (portExists(x.in, x.t.port)) x.in.ports[x.t.port].outputMode = static_cast<uint8_t>(v);
}

void extraTicks(Exec& x, unsigned, uint16_t v) { x.in.extraTicks = v; }

// PARAM 253/254 value: a message kind or a controller.
bool markFor(Exec& x, uint16_t v, bool on)
{
    Port& p = x.in.ports[x.t.port];
    switch (v) {
    case zem::kSkipMarkBend: p.markBend = on; return true;
    case zem::kSkipMarkProgram: p.markProgram = on; return true;
    case zem::kSkipMarkChanPressure: p.markChanp = on; return true;
    case zem::kSkipMarkKeyPressure: p.markKeyp = on; return true;
    default:
        if (v >= kControllers) return false;
        setBit(p.markCtrl, v, on);
        return true;
    }
}

unsigned heldKindOf(uint16_t v)
{
    switch (v) {
    case zem::kSkipMarkBend: return kHeldBend;
    case zem::kSkipMarkProgram: return kHeldProgram;
    case zem::kSkipMarkChanPressure: return kHeldChanp;
    case zem::kSkipMarkKeyPressure: return kHeldKeyp;
    default: return kHeldController;
    }
}

void skipMark(Exec& x, unsigned reg, uint16_t v)
{
    bool on = reg == zem::kParamSkipMark;
    // 128..255 name no controller: accepted, and nothing is marked.
    bool valid = v >= zem::kSkipMarkKeyPressure || v < 256;
    if (!valid) {
        raiseError(x.in, DP_ILLEGAL_PARAMETER);
        return;
    }
    if (!portExists(x.in, x.t.port)) return;
    if (!markFor(x, v, on)) return;
    if (!on) flushPort(x.in, x.t.port, heldKindOf(v), v < kControllers ? v : kControllers);
}

void skipMode(Exec& x, unsigned, uint16_t v)
{
    uint8_t before = x.in.skip;
    x.in.skip = static_cast<uint8_t>(v);
    if (before >= 2 && x.in.skip < 2) flushAllPorts(x.in);
}

void undefinedRegister(Exec& x, unsigned, uint16_t) { raiseError(x.in, DP_UNDEFINED_COMMAND); }

// One handler for every value the register field of the word can take.
constexpr size_t kRegisters = size_t{1} << zem::byteValue.count;
static_assert(zem::kParamSkipMode < kRegisters, "every named register has its slot");

constexpr auto kParams = [] {
    std::array<ParamHandler, kRegisters> t{};
    for (auto& h : t) h = undefinedRegister;
    t[zem::kParamSlideInterval] = slideInterval;
    t[zem::kParamSlideRandom] = slideRandom;
    t[zem::kParamTempoSlideInterval] = tempoSlideInterval;
    t[zem::kParamTempoSlideRandom] = tempoSlideRandom;
    t[zem::kParamTransposeSet] = transposeSet;
    t[zem::kParamTransposeAdd] = transposeAdd;
    t[zem::kParamHoldA] = t[zem::kParamHoldB] = hold;
    for (unsigned r = zem::kParamSysexManufacturer; r <= zem::kParamSysexCommand; ++r) t[r] = sysexHeader;
    t[zem::kParamFinePitchSet] = t[zem::kParamFinePitchAdd] = finePitch;
    t[zem::kParamDataIncrement] = dataIncrement;
    t[zem::kParamBendScale] = bendScale;
    for (unsigned r = 0; r < 8; ++r) t[zem::kParamControllerFilter + r] = controllerFilter;
    t[zem::kParamTrackFilter] = trackFilter;
    t[zem::kParamBarControl] = barControl;
    t[zem::kParamBarTickAdd] = barTickAdd;
    t[zem::kParamVelocityCurve] = velocityCurve;
    t[zem::kParamVelocityScale] = velocityScale;
    t[zem::kParamReleaseScale] = releaseScale;
    for (unsigned r = 0; r < 10; ++r) t[zem::kParamModOption + r] = modulatorOption;
    t[zem::kParamGateBase] = gateBase;
    t[zem::kParamGateFlags] = gateFlags;
    t[zem::kParamGateDenominator] = gateDenominator;
    t[zem::kParamOutputMode] = outputMode;
    for (unsigned r = zem::kParamVoicePool; r <= zem::kParamVoiceLast; ++r) t[r] = voiceParam;
    for (unsigned r = zem::kParamStreamSlot; r <= zem::kParamStreamLast; ++r) t[r] = voiceParam;
    t[zem::kParamExtraTicks] = extraTicks;
    t[zem::kParamSkipMark] = t[zem::kParamSkipUnmark] = skipMark;
    t[zem::kParamSkipMode] = skipMode;
    return t;
}();

} // namespace

// «PARAM» value
void cmdParam(Exec& x, uint16_t w)
{
    uint16_t v = readWord(x);
    unsigned reg = zem::byteValue(w);
    kParams[reg](x, reg, v);
}

} // namespace zemplay

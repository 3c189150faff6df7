#include "modulators.h"

#include "channel.h"
#include "clock.h"
#include "core.h"
#include "interpolation.h"
#include "linked_list.h"
#include "random.h"
#include "waveforms.h"

#include "zem/command_words.h"

namespace zemplay {

namespace {

constexpr uint16_t bit(unsigned n) { return static_cast<uint16_t>(1u << n); }
constexpr uint16_t kEnvelopeFlags = bit(kModAttack) | bit(kModRelease) | bit(kModDecay);

bool has(const Modulator& m, unsigned flag) { return (m.flags >> flag) & 1u; }
bool option(const Modulator& m, unsigned o) { return (m.options >> o) & 1u; }
uint32_t timeParam(const Modulator& m, unsigned p) { return m.param[p] > 0 ? static_cast<uint32_t>(m.param[p]) : 0; }

uint32_t initialPhase(const Modulator& m, unsigned p)
{
    return (static_cast<uint32_t>(m.param[p] & 0xFF) << 8) + (option(m, kOptPhaseNudge) ? 256u : 0u);
}

Track* ownerOf(Instance& in, const Modulator& m) { return m.owner < in.trackCount ? &in.tracks[m.owner] : nullptr; }

// ---- Lists ---------------------------------------------------------------

bool shouldRun(const Modulator& m) { return (m.flags & kModRunningFlags) != 0 || m.oscBStage != OscBStage::Stopped; }

void updateRunning(Instance& in, Modulator& m)
{
    bool run = shouldRun(m);
    if (run == m.running) return;
    if (run)
        linkFirst(in.runningMods, m, &Modulator::runPrev, &Modulator::runNext);
    else
        unlinkItem(in.runningMods, m, &Modulator::runPrev, &Modulator::runNext);
    m.running = run;
}

// The note-on list (noteOn) or note-off list of a track, threaded through
// the modulators.
struct NoteList {
    Modulator* Track::*head;
    Modulator* Modulator::*next;
    Modulator* Modulator::*prev;
    uint16_t Modulator::*owner;
    bool Modulator::*listed;
};
constexpr NoteList kOnList{&Track::noteOnMods, &Modulator::onNext, &Modulator::onPrev, &Modulator::onTrack,
                           &Modulator::onListed};
constexpr NoteList kOffList{&Track::noteOffMods, &Modulator::offNext, &Modulator::offPrev, &Modulator::offTrack,
                            &Modulator::offListed};

void leaveList(Instance& in, Modulator& m, const NoteList& l)
{
    if (!(m.*l.listed)) return;
    unlinkItem(in.tracks[m.*l.owner].*l.head, m, l.prev, l.next);
    m.*l.listed = false;
}

// Takes m off the list and, when on, puts it first on t's list.
void switchList(Instance& in, Modulator& m, const NoteList& l, Track& t, bool on)
{
    leaveList(in, m, l);
    if (!on) return;
    linkFirst(t.*l.head, m, l.prev, l.next);
    m.*l.owner = static_cast<uint16_t>(trackIndex(in, t));
    m.*l.listed = true;
}

// ---- Targets ---------------------------------------------------------------

Track& targetTrack(Instance& in, const Modulator& m) { return in.tracks[m.track < in.trackCount ? m.track : 0]; }

int32_t presentValue(Instance& in, const Modulator& m)
{
    Track& t = targetTrack(in, m);
    switch (m.kind) {
    case ModKind::Controller: {
        const Channel& ch = channelOf(in, m.port, m.channel);
        return ch.ctrlBase[m.number] + ch.ctrlOffset[m.number];
    }
    case ModKind::Bend: {
        const Channel& ch = channelOf(in, m.port, m.channel);
        return ch.bendBase + ch.bendOffset;
    }
    case ModKind::Velocity: return t.velocity + t.velOffset;
    case ModKind::ReleaseVelocity: return t.rvel + t.rvelOffset;
    case ModKind::GateRatio: return t.ratioCur;
    case ModKind::GateOffset: return t.ofsCur;
    case ModKind::Tempo:
        in.tempoBase = static_cast<uint32_t>(clampI64(int64_t{in.tempoBase} + in.tempoOffset, 1, 0xFFFFFF));
        in.tempoOffset = 0;
        return static_cast<int32_t>(in.tempoBase);
    }
    return 0;
}

// Writes a value into the target's base with its offset cleared.  Channel
// targets are sent; `viaSet` says it comes from a note value (a set, so
// always sent) rather than from the glide (sent only when changed).
void writeTarget(Instance& in, Modulator& m, int32_t value, unsigned sender, bool viaSet)
{
    Track& t = targetTrack(in, m);
    switch (m.kind) {
    case ModKind::Controller: {
        Channel& ch = channelOf(in, m.port, m.channel);
        ch.ctrlBase[m.number] = clampTo(value, 0, 127);
        ch.ctrlOffset[m.number] = 0;
        if (viaSet) {
            stopModulatorGlide(m);
            sendController(in, sender, m.port, m.channel, m.number, false);
        }
        break;
    }
    case ModKind::Bend: {
        Channel& ch = channelOf(in, m.port, m.channel);
        ch.bendBase = clampTo(value, -8192, 8191);
        ch.bendOffset = 0;
        if (viaSet) {
            stopModulatorGlide(m);
            sendBend(in, sender, m.port, m.channel, false);
        }
        break;
    }
    case ModKind::Velocity:
        t.velocity = clampTo(value, 1, 127);
        t.velOffset = 0;
        break;
    case ModKind::ReleaseVelocity:
        t.rvel = clampTo(value, 1, 127);
        t.rvelOffset = 0;
        break;
    case ModKind::GateRatio:
        t.ratioBase = t.ratioCur = clampTo(value, 0, 32767);
        t.ratioAcc = 0;
        break;
    case ModKind::GateOffset:
        t.ofsBase = t.ofsCur = clamp16(value);
        t.ofsAcc = 0;
        break;
    case ModKind::Tempo:
        if (viaSet) {
            in.tempoOffset = value;
            if (sender == 0) updateTempo(in, false);
        } else {
            in.tempoBase = static_cast<uint32_t>(clampTo(value, 1, 0xFFFFFF));
            in.tempoOffset = 0;
        }
        break;
    }
}

// ---- Components -------------------------------------------------------------

// Enters an envelope segment from the present value when its flag is on;
// false when it is off.
bool enterSegment(Modulator& m, unsigned flag, EnvPhase phase)
{
    if (!has(m, flag)) return false;
    m.envPhase = phase;
    m.envStart = m.envValue;
    m.envElapsed = 0;
    return true;
}

void startRelease(Modulator& m)
{
    if (!enterSegment(m, kModRelease, EnvPhase::Release)) m.envPhase = EnvPhase::Done;
}

void startDecay(Modulator& m)
{
    if (!enterSegment(m, kModDecay, EnvPhase::Decay)) m.envPhase = EnvPhase::Sustain;
}

void startAttack(Modulator& m)
{
    if (enterSegment(m, kModAttack, EnvPhase::Attack)) return;
    m.envValue = m.param[8];
    startDecay(m);
}

// Runs one envelope segment: level, middle, time parameters from first.
bool runSegment(Modulator& m, unsigned first, unsigned curvedFlag, uint32_t e)
{
    uint32_t time = timeParam(m, first + 2);
    m.envElapsed += e;
    m.envValue = static_cast<int32_t>(
        interpolate(m.envStart, m.param[first + 1], has(m, curvedFlag), m.param[first], m.envElapsed, time));
    return m.envElapsed >= time;
}

void stepEnvelope(Modulator& m, bool gate, uint32_t e)
{
    bool opening = m.envPhase == EnvPhase::Idle || m.envPhase == EnvPhase::Done || m.envPhase == EnvPhase::Release;
    if (gate && opening) {
        startAttack(m);
        e = 0;
    } else if (!gate &&
               (m.envPhase == EnvPhase::Attack || m.envPhase == EnvPhase::Decay || m.envPhase == EnvPhase::Sustain)) {
        startRelease(m);
        e = 0;
    }
    switch (m.envPhase) {
    case EnvPhase::Attack:
        if (runSegment(m, 8, kModAttackCurved, e)) startDecay(m);
        break;
    case EnvPhase::Decay:
        if (runSegment(m, 14, kModDecayCurved, e)) m.envPhase = EnvPhase::Sustain;
        break;
    case EnvPhase::Release:
        if (runSegment(m, 11, kModReleaseCurved, e)) m.envPhase = EnvPhase::Done;
        break;
    default: break;
    }
}

// Advances a phase by e units of a cycle of `period` units; true on a wrap.
bool advancePhase(uint32_t& phase, uint32_t e, int32_t period)
{
    uint64_t next = phase + uint64_t{e} * 65536 / static_cast<uint32_t>(period);
    phase = static_cast<uint32_t>(next & 0xFFFF);
    return next > 0xFFFF;
}

UserWave userWaveOf(Instance& in, const Modulator& m)
{
    Track* t = ownerOf(in, m);
    if (!t) return {nullptr, 0};
    return {t->userWave, t->userWaveLength};
}

void stepOscillatorA(Instance& in, Modulator& m, bool gate, uint32_t e)
{
    if (!gate) {
        m.oscARamp = 0;
        m.oscAPhase = initialPhase(m, 17);
        return;
    }
    m.oscARamp += e;
    int32_t depth = static_cast<int32_t>(interpolate(m.param[18], 0, false, m.param[19], m.oscARamp, timeParam(m, 20)));
    int32_t period =
        static_cast<int32_t>(interpolate(m.param[21], 0, false, m.param[22], m.oscARamp, timeParam(m, 23)));
    if (depth == 0 || period <= 0) {
        m.oscAValue = 0;
        return;
    }
    bool wrapped = advancePhase(m.oscAPhase, e, period);
    m.oscAValue = waveformValue(static_cast<uint16_t>(m.param[17]) >> 8, m.oscAPhase, depth, wrapped, m.oscAHeld,
                                userWaveOf(in, m));
}

void stopOscillatorB(Modulator& m)
{
    m.oscBStage = OscBStage::Stopped;
    m.oscBValue = 0;
}

void startOscillatorB(Modulator& m)
{
    m.oscBStage = OscBStage::FadeIn;
    m.oscBPhase = initialPhase(m, 27);
    m.oscBFade = 0;
    m.oscBHeld = 0;
}

void stepOscillatorB(Instance& in, Modulator& m, uint32_t e)
{
    int32_t full = m.param[28], period = m.param[29];
    if (full == 0 || period <= 0) {
        stopOscillatorB(m);
        return;
    }
    m.oscBFade += e;
    int32_t depth;
    if (m.oscBStage == OscBStage::FadeIn) {
        depth = static_cast<int32_t>(interpolate(0, 0, false, full, m.oscBFade, timeParam(m, 30)));
    } else {
        uint32_t time = timeParam(m, 31);
        if (m.oscBFade >= time) {
            stopOscillatorB(m);
            return;
        }
        depth = static_cast<int32_t>(interpolate(full, 0, false, 0, m.oscBFade, time));
    }
    bool wrapped = advancePhase(m.oscBPhase, e, period);
    m.oscBValue = waveformValue(static_cast<uint16_t>(m.param[27]) >> 8, m.oscBPhase, depth, wrapped, m.oscBHeld,
                                userWaveOf(in, m));
}

void stepGlide(Instance& in, Modulator& m, uint32_t e)
{
    if (has(m, kModGlideCapture)) {
        m.glideStart = presentValue(in, m);
        m.glideElapsed = 0;
        m.flags &= static_cast<uint16_t>(~bit(kModGlideCapture));
    } else {
        m.glideElapsed += e;
    }
    uint32_t time = timeParam(m, 26);
    m.glideValue = static_cast<int32_t>(
        interpolate(m.glideStart, m.param[25], has(m, kModGlideCurved), m.param[24], m.glideElapsed, time));
    writeTarget(in, m, m.glideValue, m.owner, false);
    if (m.glideElapsed >= time) m.glideActive = false;
}

void resend(Instance& in, Modulator& m)
{
    unsigned sender = m.owner < in.trackCount ? m.owner : 0;
    switch (m.kind) {
    case ModKind::Controller: sendController(in, sender, m.port, m.channel, m.number, true); break;
    case ModKind::Bend: sendBend(in, sender, m.port, m.channel, true); break;
    case ModKind::Tempo:
        if (sender == 0) updateTempo(in, false);
        break;
    default: break;
    }
}

void evaluate(Instance& in, Modulator& m, uint32_t elapsed)
{
    Track* owner = ownerOf(in, m);
    bool gate = owner && owner->noteCount > 0;
    if (has(m, kModGlide) && m.glideActive) stepGlide(in, m, option(m, kOptGlidePerEval) ? 1 : elapsed);
    if (m.flags & kEnvelopeFlags) stepEnvelope(m, gate, option(m, kOptEnvPerEval) ? 1 : elapsed);
    if (has(m, kModOscA)) stepOscillatorA(in, m, gate, option(m, kOptOscAPerEval) ? 1 : elapsed);
    if (m.oscBStage != OscBStage::Stopped) stepOscillatorB(in, m, option(m, kOptOscBPerEval) ? 1 : elapsed);
    m.output = m.envValue + m.oscAValue + m.oscBValue;
    resend(in, m);
}

} // namespace

void initModulator(Modulator& m, ModKind kind, unsigned track)
{
    m.kind = kind;
    m.track = static_cast<uint16_t>(track);
}

void stopModulatorGlide(Modulator& m) { m.glideActive = false; }

Modulator* modulatorFor(Instance& in, Track& t, unsigned target)
{
    if (target < zem::kModFirstSpecialTarget && target >= kControllers) {
        raiseError(in, DP_ILLEGAL_PARAMETER);
        return nullptr;
    }
    switch (target) {
    case zem::kModTargetReleaseVelocity: return &t.rvelMod;
    case zem::kModTargetTempo: return &in.tempoMod;
    case zem::kModTargetGateOffset: return &t.ofsMod;
    case zem::kModTargetGateRatio: return &t.ratioMod;
    case zem::kModTargetVelocity: return &t.velMod;
    default: break;
    }
    if (!portExists(in, t.port)) return nullptr;
    Channel& ch = channelOf(in, t.port, t.channel);
    return target == zem::kModTargetBend ? &ch.bendMod : &ch.ctrlMod[target];
}

void modSet(Instance& in, Track& t, unsigned target, unsigned parameter, int16_t value)
{
    Modulator* m = modulatorFor(in, t, target);
    if (!m) return;
    m->param[parameter & 31] = value;
    m->owner = static_cast<uint16_t>(trackIndex(in, t));
    uint32_t limit = value > 0 ? static_cast<uint32_t>(value) : 0;
    auto cut = [limit](uint32_t& elapsed) { elapsed = elapsed > limit ? limit : elapsed; };
    switch (parameter) {
    case 10:
        if (m->envPhase == EnvPhase::Attack) cut(m->envElapsed);
        break;
    case 13:
        if (m->envPhase == EnvPhase::Release) cut(m->envElapsed);
        break;
    case 16:
        if (m->envPhase == EnvPhase::Decay) cut(m->envElapsed);
        break;
    case 20:
    case 23: cut(m->oscARamp); break;
    case 26: cut(m->glideElapsed); break;
    case 30:
    case 31: cut(m->oscBFade); break;
    default: break;
    }
    updateRunning(in, *m);
}

void modSwitch(Instance& in, Track& t, uint16_t operand)
{
    Modulator* m = modulatorFor(in, t, zem::modTarget(operand));
    if (!m) return;
    unsigned flag = zem::modSwitchFlag(operand);
    if (flag > 15) return; // the flag word has 16 bits
    bool on = zem::modSwitchSets(operand);
    bool was = has(*m, flag);
    if (on)
        m->flags |= bit(flag);
    else
        m->flags &= static_cast<uint16_t>(~bit(flag));
    if (on && flag >= kModAttack && flag <= kModOscB) m->owner = static_cast<uint16_t>(trackIndex(in, t));
    switch (flag) {
    case kModNoteOn: switchList(in, *m, kOnList, t, on); break;
    case kModNoteOff: switchList(in, *m, kOffList, t, on); break;
    case kModOscA:
        if (on && !was) {
            m->oscAPhase = initialPhase(*m, 17);
            m->oscARamp = 0;
        } else if (!on) {
            m->oscAValue = 0;
        }
        break;
    case kModGlide:
        m->glideActive = on;
        if (on) {
            m->glideStart = presentValue(in, *m);
            m->glideElapsed = 0;
        }
        break;
    case kModOscB:
        if (on) {
            if (has(*m, kModOscBRestart)) {
                stopOscillatorB(*m);
                m->flags &= static_cast<uint16_t>(~bit(kModOscBRestart));
            }
            if (m->oscBStage == OscBStage::Stopped) {
                startOscillatorB(*m);
            } else if (m->oscBStage == OscBStage::FadeOut) {
                m->oscBStage = OscBStage::FadeIn;
                m->oscBFade = 0;
            }
        } else if (m->oscBStage == OscBStage::FadeIn) {
            m->oscBStage = OscBStage::FadeOut;
            m->oscBFade = 0;
        }
        break;
    default: break;
    }
    // Switching the envelope off entirely lets the value return to its base.
    if ((m->flags & kEnvelopeFlags) == 0) {
        m->envValue = 0;
        m->envPhase = EnvPhase::Idle;
    }
    const int32_t before = m->output;
    m->output = m->envValue + m->oscAValue + m->oscBValue;
    // A component switched off leaves the running list: its target must hear
    // the change now, or it would keep the last modulated value.
    if (m->output != before) resend(in, *m);
    updateRunning(in, *m);
}

void modOption(Instance& in, Track& t, unsigned target, unsigned optionBit, bool on)
{
    Modulator* m = modulatorFor(in, t, target);
    if (!m) return;
    if (on)
        m->options = static_cast<uint8_t>(m->options | (1u << optionBit));
    else
        m->options = static_cast<uint8_t>(m->options & ~(1u << optionBit));
}

void applyNoteValues(Instance& in, Track& t, unsigned key, bool noteOn)
{
    const NoteList& list = noteOn ? kOnList : kOffList;
    unsigned first = noteOn ? 2 : 5;
    unsigned followFlag = noteOn ? kModNoteOnKey : kModNoteOffKey;
    unsigned sender = trackIndex(in, t);
    for (Modulator* m = t.*list.head; m && !isHalted(in);) {
        Modulator* next = m->*list.next;
        int64_t value = m->param[first];
        if (has(*m, followFlag)) value += int64_t{key} * (m->param[first + 1] - m->param[first]) / 127;
        value += (int64_t{randomSigned()} * m->param[first + 2]) >> 15;
        writeTarget(in, *m, clampI64(value, INT32_MIN, INT32_MAX), sender, true);
        m = next;
    }
}

void stepModulators(Instance& in, uint32_t units)
{
    for (Modulator* m = in.runningMods; m && !isHalted(in);) {
        Modulator* next = m->runNext;
        m->accumulated += units;
        Track* owner = ownerOf(in, *m);
        if (owner && owner->noteActivity) m->countdown = 0;
        if (m->countdown > units) {
            m->countdown -= units;
        } else {
            uint32_t interval = m->param[0] > 0 ? static_cast<uint32_t>(m->param[0]) : 0;
            if (m->param[1] > 0) interval += randomUnsigned() % static_cast<uint32_t>(m->param[1]);
            m->countdown = interval;
            evaluate(in, *m, m->accumulated);
            m->accumulated = 0;
            updateRunning(in, *m);
        }
        m = next;
    }
}

} // namespace zemplay

#include "channel.h"

#include "core.h"
#include "voice_layer.h"
#include "zem/command_words.h"

#include <cstring>
#include <type_traits>

namespace zemplay {

namespace {

// Controllers held back in skip mode unless unmarked: modulation, portamento
// time, volume, pan, expression, their fine parts, the pedal and sound
// controllers 64..78, portamento control and the effect depths.
constexpr uint8_t kInitiallyMarked[] = {1,  5,  7,  10, 11, 33, 37, 39, 42, 43, 64, 65, 66, 67, 68, 69,
                                        70, 71, 72, 73, 74, 75, 76, 77, 78, 84, 91, 92, 93, 94, 95};

void initModulator(Modulator& m, ModKind kind, unsigned port, unsigned channel, unsigned number)
{
    m.kind = kind;
    m.port = static_cast<uint8_t>(port);
    m.channel = static_cast<uint8_t>(channel);
    m.number = static_cast<uint8_t>(number);
}

Track& trackAt(Instance& in, unsigned track) { return in.tracks[track]; }

// In skip mode 2 and up a marked kind is held back: the value waits for a
// flush, which sends it as the track that sent it now; true when held.
bool holdBack(const Instance& in, bool marked, uint16_t& heldTrack, unsigned track)
{
    if (in.skip < 2 || !marked) return false;
    heldTrack = static_cast<uint16_t>(track);
    return true;
}

// Hands one channel message to the host when the port sends MIDI (output
// mode 0); the host's answer may halt the song.
template <typename... Values> void toHost(Instance& in, unsigned p, unsigned track, unsigned c,
                                          int (*callback)(void*, int, int, int, Values...),
                                          std::type_identity_t<Values>... values)
{
    if (in.ports[p].outputMode == 0 && callback)
        noteStatus(in, callback(in.user, static_cast<int>(p), static_cast<int>(track), static_cast<int>(c), values...));
}

} // namespace

void initPort(Port& port, unsigned index)
{
    port.markBend = port.markChanp = port.markKeyp = true;
    for (uint8_t c : kInitiallyMarked) setBit(port.markCtrl, c, true);
    for (unsigned c = 0; c < kChannels; ++c) {
        Channel& ch = port.channels[c];
        ch.port = static_cast<uint8_t>(index);
        ch.channel = static_cast<uint8_t>(c);
        ch.bendRange = 2;
        ch.attackTime = ch.decayTime = ch.releaseTime = 64;
        for (unsigned k = 0; k < kControllers; ++k) initModulator(ch.ctrlMod[k], ModKind::Controller, index, c, k);
        initModulator(ch.bendMod, ModKind::Bend, index, c, 0);
        for (unsigned k = 0; k < kKeys; ++k) {
            ch.notes[k].port = static_cast<uint8_t>(index);
            ch.notes[k].channel = static_cast<uint8_t>(c);
            ch.notes[k].key = static_cast<uint8_t>(k);
        }
    }
}

int32_t controllerValue(const Channel& ch, unsigned c)
{
    return clampI64(int64_t{ch.ctrlBase[c]} + ch.ctrlOffset[c] + ch.ctrlMod[c].output, 0, 127);
}

int32_t bendValue(const Instance&, const Track& t, const Channel& ch)
{
    int64_t raw = int64_t{ch.bendBase} + ch.bendOffset + ch.finePitch + ch.bendMod.output;
    int64_t v = (raw * t.bendScale) >> 13;
    if (ch.glide) v += ch.glide->current;
    return clampI64(v, -8192, 8191);
}

void sendController(Instance& in, unsigned track, unsigned p, unsigned c, unsigned controller, bool onlyIfChanged)
{
    const Track& t = trackAt(in, track);
    if ((controller == 0 && (t.filter & zem::kFilterBankMsb)) || (controller == 32 && (t.filter & zem::kFilterBankLsb)))
        return;
    Port& port = in.ports[p];
    Channel& ch = port.channels[c];
    int32_t value;
    if ((in.ctrlFilter[controller >> 4] >> (controller & 15)) & 1u) {
        // Filtered NRPN/RPN selectors go out as 127 (null), so that a data
        // entry cannot land on a parameter the host did not choose.
        if (controller < 98 || controller > 101) return;
        value = 127;
    } else {
        value = controllerValue(ch, controller);
    }
    if (onlyIfChanged && value == ch.ctrlLast[controller]) return;
    ch.ctrlLast[controller] = static_cast<uint8_t>(value);
    if (controller == 6 && ch.ctrlLast[100] == 0 && ch.ctrlLast[101] == 0) ch.bendRange = static_cast<uint8_t>(value);
    if (controller == 73) ch.attackTime = static_cast<uint8_t>(value);
    if (controller == 75) ch.decayTime = static_cast<uint8_t>(value);
    if (controller == 72) ch.releaseTime = static_cast<uint8_t>(value);
    const bool held = holdBack(in, testBit(port.markCtrl, controller), ch.heldCtrlTrack[controller], track);
    setBit(ch.pendingCtrl, controller, held);
    if (!held) toHost(in, p, track, c, in.cb.control_change, static_cast<int>(controller), value);
}

void sendBend(Instance& in, unsigned track, unsigned p, unsigned c, bool onlyIfChanged)
{
    Port& port = in.ports[p];
    Channel& ch = port.channels[c];
    int32_t value = bendValue(in, trackAt(in, track), ch);
    if (onlyIfChanged && value == ch.bendLast) return;
    ch.bendLast = value;
    ch.pendingBend = holdBack(in, port.markBend, ch.heldBendTrack, track);
    if (!ch.pendingBend) toHost(in, p, track, c, in.cb.pitch_bend, value);
}

void sendKeyPressure(Instance& in, unsigned track, unsigned p, unsigned c, unsigned key, bool onlyIfChanged)
{
    Port& port = in.ports[p];
    Channel& ch = port.channels[c];
    int32_t value = clampI64(int64_t{ch.keypBase[key]} + ch.keypOffset[key], 0, 127);
    if (onlyIfChanged && value == ch.keypLast[key]) return;
    ch.keypLast[key] = static_cast<uint8_t>(value);
    const bool held = holdBack(in, port.markKeyp, ch.heldKeypTrack[key], track);
    setBit(ch.pendingKeyp, key, held);
    if (!held) toHost(in, p, track, c, in.cb.key_pressure, static_cast<int>(key), value);
}

void sendChanPressure(Instance& in, unsigned track, unsigned p, unsigned c, bool onlyIfChanged)
{
    Port& port = in.ports[p];
    Channel& ch = port.channels[c];
    int32_t value = clampI64(int64_t{ch.chanpBase} + ch.chanpOffset, 0, 127);
    if (onlyIfChanged && value == ch.chanpLast) return;
    ch.chanpLast = value;
    ch.pendingChanp = holdBack(in, port.markChanp, ch.heldChanpTrack, track);
    if (!ch.pendingChanp) toHost(in, p, track, c, in.cb.channel_pressure, value);
}

void sendProgram(Instance& in, unsigned track, unsigned p, unsigned c, unsigned program, bool onlyIfChanged)
{
    if (trackAt(in, track).filter & zem::kFilterProgram) return;
    Port& port = in.ports[p];
    Channel& ch = port.channels[c];
    if (onlyIfChanged && program == ch.program) return;
    ch.program = static_cast<uint8_t>(program);
    ch.pendingProgram = holdBack(in, port.markProgram, ch.heldProgramTrack, track);
    if (!ch.pendingProgram) toHost(in, p, track, c, in.cb.program_change, static_cast<int>(program));
}

void sendNoteOn(Instance& in, unsigned track, unsigned p, unsigned c, unsigned key, int velocity)
{
    const Track& t = trackAt(in, track);
    Port& port = in.ports[p];
    Note& note = port.channels[c].notes[key];
    int scaled = scaleVelocity(velocity, t.velScale);
    if (note.velocity != 0) {
        toHost(in, p, track, c, in.cb.note_off, static_cast<int>(key), scaleVelocity(127, t.rvelScale));
        if (port.outputMode == 1) voiceNoteOff(in, p, c, key);
    }
    note.velocity = static_cast<uint8_t>(scaled);
    if (in.skip != 0) return;
    // Output mode 1 belongs to the voice layer; other modes are silent.
    if (port.outputMode == 1) voiceNoteOn(in, p, c, key, scaled);
    toHost(in, p, track, c, in.cb.note_on, static_cast<int>(key), scaled);
}

void sendNoteOff(Instance& in, unsigned track, unsigned p, unsigned c, unsigned key, int velocity)
{
    Port& port = in.ports[p];
    Note& note = port.channels[c].notes[key];
    if (note.velocity == 0) return;
    note.velocity = 0;
    int scaled = scaleVelocity(velocity, trackAt(in, track).rvelScale);
    if (port.outputMode == 1) voiceNoteOff(in, p, c, key);
    toHost(in, p, track, c, in.cb.note_off, static_cast<int>(key), scaled);
}

void sendExclusive(Instance& in, unsigned track, const uint8_t* bytes, size_t count)
{
    unsigned p = trackAt(in, track).port;
    if (!portExists(in, p) || in.ports[p].outputMode != 0 || !in.cb.exclusive_buffer || !in.cb.exclusive_send) return;
    int n = static_cast<int>(count);
    uint8_t* buffer = in.cb.exclusive_buffer(in.user, static_cast<int>(p), static_cast<int>(track), n);
    if (buffer == nullptr) return;
    std::memcpy(buffer, bytes, count);
    noteStatus(in, in.cb.exclusive_send(in.user, static_cast<int>(p), static_cast<int>(track), n));
}

void flushPort(Instance& in, unsigned p, unsigned kinds, unsigned controller)
{
    for (unsigned c = 0; c < kChannels && !isHalted(in); ++c) {
        Channel& ch = in.ports[p].channels[c];
        if (kinds & kHeldController) {
            for (unsigned k = 0; k < kControllers; ++k) {
                if ((controller < kControllers && k != controller) || !testBit(ch.pendingCtrl, k)) continue;
                setBit(ch.pendingCtrl, k, false);
                sendController(in, ch.heldCtrlTrack[k], p, c, k, false);
            }
        }
        if ((kinds & kHeldBend) && ch.pendingBend) {
            ch.pendingBend = false;
            sendBend(in, ch.heldBendTrack, p, c, false);
        }
        if ((kinds & kHeldChanp) && ch.pendingChanp) {
            ch.pendingChanp = false;
            sendChanPressure(in, ch.heldChanpTrack, p, c, false);
        }
        if (kinds & kHeldKeyp) {
            for (unsigned k = 0; k < kKeys; ++k) {
                if (!testBit(ch.pendingKeyp, k)) continue;
                setBit(ch.pendingKeyp, k, false);
                sendKeyPressure(in, ch.heldKeypTrack[k], p, c, k, false);
            }
        }
        if ((kinds & kHeldProgram) && ch.pendingProgram) {
            ch.pendingProgram = false;
            sendProgram(in, ch.heldProgramTrack, p, c, ch.program, false);
        }
    }
}

void flushAllPorts(Instance& in)
{
    for (unsigned p = 0; p < in.portCount && !isHalted(in); ++p) flushPort(in, p, kHeldAll);
}

} // namespace zemplay

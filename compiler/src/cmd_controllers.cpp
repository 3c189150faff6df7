// Channel and port, program, bank select, parameter numbers, controllers,
// pitch bend and pressures.
#include "commands.h"

#include "event_value.h"
#include "image_writer.h"
#include "value_syntax.h"
#include "zem/command_words.h"

namespace kvt {

namespace {

// A 7-bit value; 128 or more raises "Illegal parameter".
uint32_t check7Bit(int32_t v)
{
    if (asUnsigned(v) >= 128) compileError(kErrIllegalParameter);
    return asUnsigned(v);
}

uint16_t controllerOperand(uint32_t controller, int32_t value)
{
    return static_cast<uint16_t>((controller << 8) | (asUnsigned(value) & 0xFF));
}

} // namespace

// «:» [c] [«,» [p]]
int32_t cmdChannelPort(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    int32_t channel = st.channel;
    int32_t port = st.port;
    st.cur.tryUnsigned(channel);
    if (st.cur.accept(',')) st.cur.tryUnsigned(port);
    if (asUnsigned(channel) >= 16 || asUnsigned(port) >= 16) compileError(kErrIllegalParameter);
    if (st.applies()) {
        st.channel = static_cast<uint8_t>(channel);
        st.port = static_cast<uint8_t>(port);
    }
    if (st.emitting()) p.out->word(zem::makePortChannel(st.port, st.channel));
    return 0;
}

// «@» n: program n (1 to 128; counted from 0 under option 6)
int32_t cmdProgram(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    uint32_t n = asUnsigned(st.cur.requireUnsigned());
    p.content();
    if (!st.emitting()) return 0;
    if (st.hasOption(kOptProgramFromZero)) ++n;
    if (n == 0 || n > 128) compileError(kErrIllegalParameter);
    p.out->word(zem::makeProgram(n - 1));
    return 0;
}

namespace {

// Up to `count` optional 7-bit values separated by «,»; each given one is
// content.  Returns a mask of the given ones.
unsigned readOptionalValues(Parser& p, uint32_t* values, unsigned count)
{
    Cursor& cur = p.st.cur;
    unsigned given = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (i > 0 && !cur.accept(',')) break;
        int32_t v;
        if (cur.tryUnsigned(v)) {
            values[i] = check7Bit(v);
            given |= 1u << i;
            p.content();
        }
    }
    return given;
}

} // namespace

// «I» [m] [«,» [l]]
int32_t cmdBankSelect(Parser& p, uint8_t)
{
    uint32_t values[2];
    unsigned given = readOptionalValues(p, values, 2);
    if (!p.st.emitting()) return 0;
    if (given & 1) p.out->word(zem::makeCtrl(0, values[0]));
    if (given & 2) p.out->word(zem::makeCtrl(32, values[1]));
    return 0;
}

// «N» [a] [«,» [b] [«,» [c] [«,» [d]]]]
int32_t cmdParameterNumber(Parser& p, uint8_t)
{
    uint32_t values[4];
    unsigned given = readOptionalValues(p, values, 4);
    if (!p.st.emitting()) return 0;
    bool registered = p.st.hasOption(kOptRegisteredParameters);
    const unsigned controllers[4] = {registered ? 101u : 99u, registered ? 100u : 98u, 6u, 38u};
    for (unsigned i = 0; i < 4; ++i)
        if (given & (1u << i)) p.out->word(zem::makeCtrl(controllers[i], values[i]));
    return 0;
}

namespace {

uint32_t controllerOf(Parser& p, uint8_t c)
{
    switch (c) {
    case 'P': return 10;
    case 'V': return 7;
    case 'X': return 11;
    default: break;
    }
    // «Y» (pitch | n | nothing) «,»
    TrackState& st = p.st;
    int32_t controller = st.lastController;
    if (startsPitch(st.cur.peek()))
        controller = readChordPitch(st);
    else
        st.cur.tryUnsigned(controller);
    uint32_t cc = check7Bit(controller);
    st.cur.expect(',', kErrMissingParameter);
    return cc;
}

uint16_t lowByte(int32_t v) { return static_cast<uint16_t>(asUnsigned(v) & 0xFF); }

// The words of one event family for «!» (clear), for no value (commit) and
// for a relative value (add, followed by its operand).
struct EventWords {
    uint16_t clear, commit, add;
};

// Writes the clear word, then the commit word or the relative change; false
// when a slide or an absolute value is still to be written.
bool writeClearCommitOrAdd(ImageWriter& out, const EventForm& form, const EventWords& words, uint16_t addOperand)
{
    if (form.clear) out.word(words.clear);
    if (!form.first.given) {
        if (!form.clear) out.word(words.commit);
        return true;
    }
    if (form.slide || !form.first.relative) return false;
    out.word(words.add);
    out.word(addOperand);
    return true;
}

void writeControllerForm(Parser& p, uint32_t cc, const EventForm& form)
{
    const uint16_t operand = controllerOperand(cc, form.first.value);
    const EventWords words{zem::make7BitClass(zem::kCtrlClear, cc), zem::make7BitClass(zem::kCtrlCommit, cc),
                           zem::kCtrlAdd};
    if (writeClearCommitOrAdd(*p.out, form, words, operand)) return;
    if (form.slide)
        writeSlide(p, zem::SlideKind::Controller, form, operand, form.second.given, lowByte(form.second.value));
    else
        p.out->word(zem::makeCtrl(cc, asUnsigned(form.first.value)));
}

// A single absolute value of a 7-bit event must fit 7 bits.
void check7BitForm(const EventForm& form)
{
    if (form.first.given && !form.first.relative && !form.slide) check7Bit(form.first.value);
}

} // namespace

// «P», «V», «X»: pan, volume, expression; «Y» (pitch | n) «,»: any controller.
int32_t cmdController(Parser& p, uint8_t c)
{
    TrackState& st = p.st;
    uint32_t cc = controllerOf(p, c);
    EventForm form = readEventForm(st, false);
    check7BitForm(form);
    p.content();
    if (st.emitting()) writeControllerForm(p, cc, form);
    if (c == 'Y' && st.applies()) st.lastController = static_cast<uint8_t>(cc);
    return finishEvent(st, form);
}

// «K»: pitch bend, signed values -8192..8191
int32_t cmdPitchBend(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    EventForm form = readEventForm(st, true);
    if (form.first.given && !form.first.relative && !form.slide &&
        (form.first.value < -8192 || form.first.value > 8191))
        compileError(kErrIllegalParameter);
    p.content();
    const auto first = static_cast<uint16_t>(form.first.value);
    if (!st.emitting() ||
        writeClearCommitOrAdd(*p.out, form, {zem::kBendClear, zem::kBendCommit, zem::kBendAdd}, first))
        return finishEvent(st, form);
    if (form.slide)
        writeSlide(p, zem::SlideKind::Bend, form, first, form.second.given, static_cast<uint16_t>(form.second.value));
    else
        p.out->word(zem::makeBend(form.first.value));
    return finishEvent(st, form);
}

namespace {

void writeKeyPressure(Parser& p, uint32_t key, const EventForm& form)
{
    TrackState& st = p.st;
    ImageWriter& out = *p.out;
    const uint16_t operand = controllerOperand(key, form.first.value);
    const EventWords words{zem::make7BitClass(zem::kKeypClear, key), zem::make7BitClass(zem::kKeypCommit, key),
                           zem::kKeypAdd};
    if (writeClearCommitOrAdd(out, form, words, operand)) return;
    if (form.slide) {
        writeSlide(p, zem::SlideKind::KeyPressure, form, operand, form.second.given, lowByte(form.second.value));
    } else if (static_cast<int>(key) == st.lastKeyPressureKey) {
        out.word(zem::makeKeyPressure(asUnsigned(form.first.value), false));
    } else {
        out.word(zem::makeKeyPressure(asUnsigned(form.first.value), true));
        out.word(static_cast<uint16_t>(key));
        st.lastKeyPressureKey = static_cast<int>(key);
    }
}

void writeChannelPressure(Parser& p, const EventForm& form)
{
    if (writeClearCommitOrAdd(*p.out, form, {zem::kChanpClear, zem::kChanpCommit, zem::kChanpAdd},
                              lowByte(form.first.value)))
        return;
    if (form.slide) {
        int32_t second = form.second.given ? form.second.value : 0;
        uint16_t both = static_cast<uint16_t>((lowByte(second) << 8) | lowByte(form.first.value));
        writeSlide(p, zem::SlideKind::ChanPressure, form, both, false, 0);
    } else {
        p.out->word(zem::makeChanPressure(asUnsigned(form.first.value)));
    }
}

} // namespace

// «Z» [pitch]: key pressure of that key, else channel pressure
int32_t cmdPressure(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    bool keyed = startsPitch(st.cur.peek());
    uint32_t key = keyed ? static_cast<uint32_t>(readChordPitch(st)) : 0;
    EventForm form = readEventForm(st, false);
    check7BitForm(form);
    p.content();
    if (st.emitting()) {
        if (keyed)
            writeKeyPressure(p, key, form);
        else
            writeChannelPressure(p, form);
    }
    return finishEvent(st, form);
}

} // namespace kvt

// Notes, rests, default length, octaves, key signature, velocity and gate.
#include "commands.h"

#include "image_writer.h"
#include "slur.h"
#include "value_syntax.h"
#include "velocity_words.h"
#include "zem/command_words.h"

#include <algorithm>

namespace kvt {

namespace {

void emitNote(Parser& p, int pitch, int32_t length, bool tie)
{
    TrackState& st = p.st;
    if (st.slur) {
        continueSlur(p, pitch);
        p.out->length(length);
        return;
    }
    if (tie) {
        if (st.hasOption(kOptNoWait)) compileError(kErrSlurImpossible);
        startSoundingNote(p, pitch, length + measureSlurChain(p));
        p.out->length(length);
        return;
    }
    resetBend(p);
    bool hasLength = length != st.lastLength;
    p.out->word(zem::makeNote(static_cast<unsigned>(pitch), hasLength, !st.hasOption(kOptNoWait)));
    if (hasLength) p.out->length(length);
    st.lastLength = length;
    st.slurBase = pitch;
}

} // namespace

// «A»..«G» signs length [«&»]
int32_t cmdNote(Parser& p, uint8_t letter)
{
    TrackState& st = p.st;
    int pitch = readNotePitch(st, letter);
    int32_t length = readLength(st, 0);
    bool tie = st.cur.accept('&');
    p.content();
    if (st.emitting()) emitNote(p, pitch, length, tie);
    if (st.applies()) st.slur = tie;
    return st.measuring() ? length : 0;
}

// «R» length
int32_t cmdRest(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    int32_t length = readLength(st, 0);
    if (st.measuring()) compileError(kErrSlurCannotContinue);
    if (st.emitting()) {
        while (length > 0) {
            int32_t piece = std::min<int32_t>(length, static_cast<int32_t>(zem::kMaxLength));
            p.out->length(piece);
            length -= piece;
        }
    }
    return 0;
}

// «L» length
int32_t cmdDefaultLength(Parser& p, uint8_t)
{
    int32_t length = readLength(p.st, 0);
    if (p.st.emitting()) p.st.defaultLength = length;
    return 0;
}

int32_t cmdOctave(Parser& p, uint8_t c)
{
    octaveCommand(p.st, c);
    return 0;
}

// «S» seven signs for C, D, E, F, G, A, B
int32_t cmdKeySignature(Parser& p, uint8_t)
{
    int8_t signs[7];
    for (int8_t& sign : signs) {
        uint8_t c = p.st.cur.peekRequired();
        if (c == '+')
            sign = 1;
        else if (c == '-')
            sign = -1;
        else if (c == '!')
            sign = 0;
        else
            compileError(kErrIllegalParameter);
        p.st.cur.skip();
    }
    if (p.st.applies()) std::copy(std::begin(signs), std::end(signs), p.st.keySignature);
    return 0;
}

// «U» [«*»] [«!»] («^» v | n | nothing)
int32_t cmdVelocity(Parser& p, uint8_t)
{
    const bool release = p.st.cur.accept('*');
    const VelocityWords items = readVelocityItem(p.st.cur, release);
    if (p.st.emitting())
        for (unsigned i = 0; i < items.count; ++i) p.out->word(items.words[i]);
    return 0;
}

// «~» [n], «_» [n]
int32_t cmdVelocityStep(Parser& p, uint8_t c)
{
    const int32_t delta = readVelocityStep(p.st.cur, c);
    if (p.st.emitting()) p.out->word(velocityAddWord(p.st.hasOption(kOptReleaseVelocity), delta));
    return 0;
}

// «Q» [«*»] [«!»] («^» v | n | nothing)
int32_t cmdGate(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    bool offset = cur.accept('*');
    bool clear = cur.accept('!');
    bool emitting = st.emitting();
    if (emitting && clear) p.out->word(offset ? zem::kGateOfsClear : zem::kGateRatioClear);
    int32_t v;
    if (cur.accept('^')) {
        v = cur.requireSigned();
        if (emitting) {
            p.out->word(offset ? zem::kGateOfsAdd : zem::kGateRatioAdd);
            p.out->word(static_cast<uint16_t>(v));
        }
    } else if (offset ? cur.trySigned(v) : cur.tryUnsigned(v)) {
        if (emitting) {
            if (offset) {
                p.out->word(zem::kGateOfsSet);
                p.out->word(static_cast<uint16_t>(std::clamp(v, -32768, 32767)));
            } else {
                p.out->word(zem::kGateRatioSet);
                p.out->word(static_cast<uint16_t>(std::min<uint32_t>(static_cast<uint32_t>(v), 32767)));
            }
        }
    } else if (emitting && !clear) {
        p.out->word(offset ? zem::kGateOfsCommit : zem::kGateRatioCommit);
    }
    return 0;
}

} // namespace kvt

#include "value_syntax.h"

#include <cmath>
#include <limits>

namespace kvt {

int32_t roundTicks(float v)
{
    float r = v + 0.5f;
    if (std::isnan(r)) return 0;
    if (r >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (r <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

namespace {

// «*» n, «**», a note value d, or nothing; then dots and «**x» factors.
int32_t readLengthItem(TrackState& st)
{
    Cursor& cur = st.cur;
    int32_t item;
    bool factorStarTaken = false;
    if (cur.peek() == '*') {
        cur.skip();
        if (cur.peek() == '*') {
            item = st.defaultLength;
            factorStarTaken = true; // the second "*" begins the first factor
        } else {
            int32_t n;
            cur.peekRequired();
            if (!cur.tryPlainDecimal(n)) compileError(kErrMissingParameter);
            item = n;
        }
    } else {
        int32_t d;
        if (cur.tryPlainDecimal(d)) {
            if (d == 0) compileError(kErrIllegalParameter);
            item = st.timebase / d;
        } else {
            item = st.defaultLength;
        }
    }
    int32_t increment = item;
    while (cur.peek() == '.') {
        cur.skip();
        increment >>= 1;
        item = wrapAdd(item, increment);
    }
    while (cur.peek() == '*') {
        cur.skip();
        if (!factorStarTaken) {
            if (cur.peekRequired() != '*') compileError(kErrSyntax);
            cur.skip();
        }
        factorStarTaken = false;
        float factor = cur.readReal();
        item = roundTicks(static_cast<float>(item) * factor);
    }
    return item;
}

int clampPitch(int64_t pitch) { return pitch < 0 ? 0 : pitch > 127 ? 127 : static_cast<int>(pitch); }

constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};        // A..G
constexpr int kKeySignatureIndex[7] = {5, 6, 0, 1, 2, 3, 4}; // A..G into C, D, E, F, G, A, B

int64_t readAccidentals(TrackState& st, uint8_t letter)
{
    int64_t accidentals = st.keySignature[kKeySignatureIndex[letter - 'A']];
    for (;;) {
        uint8_t c = st.cur.peek();
        if (c == '+') {
            ++accidentals;
        } else if (c == '-') {
            --accidentals;
        } else if (c == '!') {
            accidentals = 0;
        } else {
            return accidentals;
        }
        st.cur.skip();
    }
}

} // namespace

int32_t readLength(TrackState& st, int32_t minimum)
{
    int32_t sum = 0;
    for (;;) {
        sum = wrapAdd(sum, readLengthItem(st));
        if (st.cur.peek() != '^') break;
        st.cur.skip();
    }
    return sum < minimum ? minimum : sum;
}

int semitoneOf(uint8_t letter) { return letter >= 'A' && letter <= 'G' ? kSemitones[letter - 'A'] : -1; }

int readNotePitch(TrackState& st, uint8_t letter)
{
    int64_t octaveBase = static_cast<int64_t>(st.octave) + (st.hasOption(kOptOctaveUp) ? 2 : 1);
    int64_t pitch = octaveBase * 12 + semitoneOf(letter);
    return clampPitch(pitch + readAccidentals(st, letter));
}

bool startsPitch(uint8_t c) { return c == 'O' || c == '<' || c == '>' || semitoneOf(c) >= 0; }

void octaveCommand(TrackState& st, uint8_t c)
{
    if (c == 'O') {
        int32_t octave = st.cur.requireSigned();
        if (st.applies()) st.octave = octave;
        return;
    }
    bool up = (c == '<') != st.hasOption(kOptOctaveReversed);
    if (st.applies()) st.octave = wrapAdd(st.octave, up ? 1 : -1);
}

int readChordPitch(TrackState& st)
{
    uint8_t c = st.cur.peekRequired();
    while (c == 'O' || c == '<' || c == '>') {
        st.cur.skip();
        octaveCommand(st, c);
        c = st.cur.peekRequired();
    }
    if (semitoneOf(c) < 0) compileError(kErrSyntax);
    st.cur.skip();
    int64_t pitch = (static_cast<int64_t>(st.octave) + 1) * 12 + semitoneOf(c);
    return clampPitch(pitch + readAccidentals(st, c));
}

} // namespace kvt

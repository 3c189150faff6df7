// Strummed chords: «'» elements «'» length [«,» spread].
#include "commands.h"

#include "chord_curves.h"
#include "image_writer.h"
#include "slur.h"
#include "value_syntax.h"
#include "velocity_words.h"
#include "zem/command_words.h"

#include <cmath>

namespace kvt {

namespace {

constexpr size_t kMaxChordNotes = 127;

// «Q» [«*»] [«!»] («^» v | n | nothing) before a chord note.
void readGatePrefix(Cursor& cur, std::vector<uint16_t>& words)
{
    bool offset = cur.accept('*');
    bool clear = cur.accept('!');
    if (clear) words.push_back(offset ? zem::kGateOfsClear : zem::kGateRatioClear);
    int32_t v;
    if (cur.accept('^')) {
        words.push_back(offset ? zem::kGateOfsAdd : zem::kGateRatioAdd);
        words.push_back(static_cast<uint16_t>(cur.requireSigned()));
    } else if (offset ? cur.trySigned(v) : cur.tryUnsigned(v)) {
        words.push_back(offset ? zem::kGateOfsSet : zem::kGateRatioSet);
        words.push_back(static_cast<uint16_t>(v));
    } else if (!clear) {
        words.push_back(offset ? zem::kGateOfsCommit : zem::kGateRatioCommit);
    }
}

// Reads the elements up to the closing «'»; returns false for «''».
bool readChordElements(Parser& p)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    ChordScratch& chord = p.chord;
    chord.notes.clear();
    chord.gateWords.clear();
    chord.velocityWords.clear();
    bool anyElement = false;
    for (;;) {
        if (chord.notes.size() > kMaxChordNotes) compileError(kErrTooManyChordNotes);
        uint8_t c = cur.peekRequired();
        if (c == '\'') {
            cur.skip();
            break;
        }
        anyElement = true;
        if (c == 'Q') {
            cur.skip();
            readGatePrefix(cur, chord.gateWords);
        } else if (c == 'U') {
            cur.skip();
            const VelocityWords items = readVelocityItem(cur, false);
            chord.velocityWords.insert(chord.velocityWords.end(), items.words, items.words + items.count);
        } else if (c == '~' || c == '_') {
            cur.skip();
            chord.velocityWords.push_back(velocityAddWord(false, readVelocityStep(cur, c)));
        } else if (startsPitch(c)) {
            int pitch = readChordPitch(st);
            chord.notes.push_back({static_cast<uint8_t>(pitch), static_cast<uint32_t>(chord.gateWords.size()),
                                   static_cast<uint32_t>(chord.velocityWords.size())});
        } else {
            compileError(kErrSyntax);
        }
    }
    if (anyElement && chord.notes.empty()) compileError(kErrMissingParameter);
    return anyElement;
}

void writeChord(Parser& p, int32_t length)
{
    TrackState& st = p.st;
    ImageWriter& out = *p.out;
    const ChordScratch& chord = p.chord;
    if (st.hasOption(kOptNoWait)) compileError(kErrChordImpossible);
    resetBend(p);
    out.word(zem::kStateSave);

    const int n = static_cast<int>(chord.notes.size());
    const uint8_t mode = st.chordMode;
    const float spread = st.chordSpread;
    const float span = (mode & kChordSpreadIsSpan) ? spread : static_cast<float>(n) * spread;
    float timeStart = 0.0f, timeMiddle = 0.0f, timeEnd = span;
    if (mode & kChordTimingPoints) {
        timeStart = static_cast<float>(st.chordTiming[0]) * span / 1024.0f;
        timeMiddle = static_cast<float>(st.chordTiming[1]) * span / 1024.0f;
        timeEnd = static_cast<float>(st.chordTiming[2]) * span / 1024.0f;
    }
    const float velStart = st.chordVelocity[0], velMiddle = st.chordVelocity[1], velEnd = st.chordVelocity[2];

    float remaining = static_cast<float>(length);
    float applied = 0.0f;
    float elapsed = 0.0f;
    float step = 0.0f;
    uint32_t gateFrom = 0, velocityFrom = 0;
    for (int j = 0; j < n; ++j) {
        const ChordScratch::Note& note = chord.notes[static_cast<size_t>(j)];
        for (uint32_t i = gateFrom; i < note.gateWordsEnd; ++i) out.word(chord.gateWords[i]);
        for (uint32_t i = velocityFrom; i < note.velocityWordsEnd; ++i) out.word(chord.velocityWords[i]);
        gateFrom = note.gateWordsEnd;
        velocityFrom = note.velocityWordsEnd;

        if (mode & kChordVelocityCurve) {
            float x = (mode & kChordVelocityThreePoint) ? threePointCurve(n + 1, j, velStart, velMiddle, velEnd)
                                                        : linearCurve(n + 1, j, velStart, velEnd);
            float v = std::floor(x);
            auto delta = static_cast<int32_t>(v - applied);
            if (delta != 0) out.word(velocityAddWord(false, delta));
            applied = v;
        }

        bool hasLength = static_cast<float>(st.lastLength) != remaining;
        out.word(zem::makeNote(note.pitch, hasLength, false));
        if (hasLength) out.length(static_cast<int64_t>(remaining));
        st.lastLength = static_cast<int32_t>(std::floor(remaining));

        if (spread > 0.0f) {
            if (length > 0) {
                float t;
                if (!(mode & kChordTimingPoints))
                    t = linearCurve(n, j + 1, 0.0f, span);
                else if (!(mode & kChordTimingThreePoint))
                    t = linearCurve(n, j + 1, timeStart, timeEnd);
                else
                    t = threePointCurve(n, j + 1, timeStart, timeMiddle, timeEnd);
                t = std::floor(t);
                step = t - elapsed;
                remaining -= step;
                if (remaining < 0.0f) compileError(kErrIllegalParameter);
                elapsed = t;
            }
            if (static_cast<int64_t>(step) > 0) out.length(static_cast<int64_t>(step));
        }
    }
    if (static_cast<int64_t>(remaining) != 0) out.length(static_cast<int64_t>(remaining));
    out.word(zem::kStateRestore);
}

} // namespace

int32_t cmdChord(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    if (st.measuring()) compileError(kErrSlurCannotContinue);
    int32_t octave = st.octave;
    bool hasNotes = readChordElements(p);
    st.octave = octave;
    if (!hasNotes) {
        if (st.emitting()) p.out->word(zem::kAllNotesOff);
        return 0;
    }
    int32_t length = readLength(st, 0);
    if (st.cur.accept(',')) {
        int32_t spread = readLength(st, 0);
        if (st.emitting()) st.chordSpread = static_cast<float>(spread);
    }
    p.content();
    if (st.emitting()) writeChord(p, length);
    return 0;
}

} // namespace kvt

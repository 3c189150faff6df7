// The lexical layer: numbers in their three notations, reals, hex pairs,
// length expressions and pitches, read straight from a cursor.
#include "lexer.h"
#include "track_state.h"
#include "value_syntax.h"

#include "raised_code.h"
#include "util/uerr.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt {
namespace {

struct Reader {
    std::string text;
    TrackState st;
    explicit Reader(std::string t) : text(std::move(t))
    {
        resetTrackState(st, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()),
                        PassMode::Emit, 0, 0);
    }
    size_t consumed() const { return static_cast<size_t>(st.cur.pos - reinterpret_cast<const uint8_t*>(text.data())); }
};

struct NumberCase {
    const char* text;
    bool isSigned;
    bool accepted;
    int32_t value;
    size_t consumed;
};

TEST(LexerNumbers, NotationsSignsAndAcceptance)
{
    const NumberCase cases[] = {
        {"12", false, true, 12, 2},         {"&1F", false, true, 31, 3},  {"&1fz", false, true, 31, 3},
        {".101", false, true, 5, 4},        {".1012", false, true, 5, 4}, {".2", false, true, 0, 1},
        {"&-10", true, true, -16, 4},       {"-7", true, true, -7, 2},    {"+7", true, true, 7, 2},
        {".-11", true, true, -3, 4},        {"-7", false, false, 0, 0},   {"&G", false, false, 0, 0},
        {"&", false, false, 0, 0},          {".", false, false, 0, 0},    {"-", true, false, 0, 0},
        {"&-", true, false, 0, 0},          {" \n 9", false, true, 9, 4}, {"4294967295", false, true, -1, 10},
        {"4294967296", false, true, 0, 10}, {"x", false, false, 0, 0},
    };
    for (const NumberCase& k : cases) {
        Reader r(k.text);
        int32_t v = 0;
        bool accepted = k.isSigned ? r.st.cur.trySigned(v) : r.st.cur.tryUnsigned(v);
        EXPECT_EQ(accepted, k.accepted) << k.text;
        if (accepted) {
            EXPECT_EQ(v, k.value) << k.text;
            EXPECT_EQ(r.consumed(), k.consumed) << k.text;
        }
    }
}

TEST(LexerNumbers, PrefixAtTheVeryEndReadsNothingBeyond)
{
    // the prefix is the last byte of the buffer: no number, nothing read past it
    std::string text = "&";
    TrackState st;
    resetTrackState(st, reinterpret_cast<const uint8_t*>(text.data()), 1, PassMode::Emit, 0, 0);
    int32_t v;
    EXPECT_FALSE(st.cur.tryUnsigned(v));
    EXPECT_EQ(raisedCode([&] { st.cur.requireUnsigned(); }), 0x40003u);
}

TEST(LexerNumbers, RequiredNumbersAtTheEndAndMissing)
{
    Reader atEnd("  \n");
    EXPECT_EQ(raisedCode([&] { atEnd.st.cur.requireSigned(); }), 0x40001u);
    EXPECT_EQ(atEnd.st.cur.line, 2u);
    Reader missing("x");
    EXPECT_EQ(raisedCode([&] { missing.st.cur.requireUnsigned(); }), 0x40003u);
}

TEST(LexerReals, SinglePrecisionDigitsAndFraction)
{
    const struct {
        const char* text;
        float value;
    } cases[] = {{"120", 120.0f}, {"1.5", 1.5f}, {"0.25", 0.25f}, {"", 0.0f}, {"x", 0.0f}, {"7.", 7.0f}};
    for (const auto& k : cases) {
        Reader r(k.text);
        EXPECT_FLOAT_EQ(r.st.cur.readReal(), k.value) << k.text;
    }
}

TEST(LexerHexPairs, TwoDigitsWithoutSpaces)
{
    Reader ok("aF");
    EXPECT_EQ(ok.st.cur.hexPair(), 0xAF);
    for (const char* bad : {"a ", "g0", " 0"}) {
        Reader r(bad);
        EXPECT_EQ(raisedCode([&] { r.st.cur.hexPair(); }), 0x40011u) << bad;
    }
    Reader shortText("a");
    EXPECT_EQ(raisedCode([&] { shortText.st.cur.hexPair(); }), 0x40001u);
}

TEST(LexerLengths, ExpressionsAtTimebase192)
{
    const struct {
        const char* text;
        int32_t minimum;
        int32_t ticks;
    } cases[] = {
        {"4", 0, 48},      {"8.", 0, 36},  {"*100", 0, 100},     {"2^4", 0, 144}, {"", 0, 48},
        {"**1.5", 0, 72},  {"4..", 0, 84}, {"4**2**0.5", 0, 48}, {"**", 0, 0},    {"-4", 0, 0},
        {"-4", -100, -48}, {"*-5", 1, 1},  {"4 ^ 4", 0, 96},     {"1", 0, 192},   {"3", 0, 64},
    };
    for (const auto& k : cases) {
        Reader r(k.text);
        EXPECT_EQ(readLength(r.st, k.minimum), k.ticks) << k.text;
    }
    Reader zero("0");
    EXPECT_EQ(raisedCode([&] { readLength(zero.st, 0); }), 0x40002u);
    Reader lone("4*2");
    EXPECT_EQ(raisedCode([&] { readLength(lone.st, 0); }), 0x40011u);
}

TEST(LexerPitches, OctaveKeySignatureAndSigns)
{
    const struct {
        const char* text;
        int32_t octave;
        int pitch;
    } cases[] = {{"C", 4, 60}, {"C+", 4, 61}, {"B-", 4, 70}, {"C+!", 4, 60}, {"A", 4, 69},
                 {"C", -1, 0}, {"C-", -1, 0}, {"G", 9, 127}, {"G+", 9, 127}, {"C", 100, 127}};
    for (const auto& k : cases) {
        Reader r(std::string(k.text).substr(1));
        r.st.octave = k.octave;
        EXPECT_EQ(readNotePitch(r.st, static_cast<uint8_t>(k.text[0])), k.pitch) << k.text << " o" << k.octave;
    }
    Reader chord("o5 < > > e-");
    EXPECT_EQ(readChordPitch(chord.st), 63);
    EXPECT_EQ(chord.st.octave, 4);
}

} // namespace
} // namespace kvt

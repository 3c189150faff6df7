// Words made by the format's makers against hand-assembled bit patterns, and
// the takers the engine decodes with against the fields they were made from.
#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct MadeWord {
    const char* name;
    uint16_t made;
    uint16_t expected;
};

TEST(CommandWords, MakersPlaceEveryField)
{
    const MadeWord cases[] = {
        {"wait", zem::makeWait(0x0ABC), 0x0ABC},
        {"note, wait after", zem::makeNote(60, false, true), 0xC13C},
        {"note, length", zem::makeNote(127, true, false), 0xC0FF},
        {"controller", zem::makeCtrl(7, 100), 0x43E4},
        {"bend lowest", zem::makeBend(-8192), 0x8000},
        {"bend centre", zem::makeBend(0), 0xA000},
        {"bend highest", zem::makeBend(8191), 0xBFFF},
        {"port and channel", zem::makePortChannel(3, 9), 0xC239},
        {"program", zem::makeProgram(127), 0xC37F},
        {"channel pressure", zem::makeChanPressure(5), 0xC385},
        {"key pressure with key", zem::makeKeyPressure(64, true), 0xC4C0},
        {"loop begin", zem::makeByteClass(zem::kLoopBegin, 255), 0xCCFF},
        {"release velocity", zem::make7BitClass(zem::kRvelSet, 90), 0xCBDA},
        {"macro", zem::makeMacro(45, 63), 0xDFED},
        {"text", zem::makeText(4095), 0xEFFF},
        {"param", zem::makeParam(253), 0xF0FD},
        {"modulator set", zem::makeModSet(31, 255), 0x3FFF},
        {"modulator switch operand", zem::makeModSwitchOperand(250, 3, true), 0x23FA},
        {"meta length word", zem::makeMetaLengthWord(0x51, 3), 0x5103},
        {"tempo high byte", zem::makeTempoHigh(zem::kTempo, 0x123456), 0xCD12},
        {"slide", zem::makeSlide(zem::SlideKind::KeyPressure, 0x1F), 0xC59F},
        {"glide", zem::makeGlide(7), 0xFFE7},
    };
    for (const MadeWord& c : cases) EXPECT_EQ(c.made, c.expected) << c.name;
}

struct TakenField {
    const char* name;
    unsigned taken;
    unsigned expected;
};

TEST(CommandWords, TakersReadBackTheFields)
{
    const TakenField cases[] = {
        {"wait ticks", zem::waitTicks(0x0ABC), 0xABC},
        {"note key", zem::noteKey(0xC1BC), 60},
        {"note has length", zem::noteHasLength(0xC1BC), 1},
        {"note waits after", zem::noteWaitAfter(0xC0BC), 0},
        {"controller number", zem::ctrlNumber(0x43E4), 7},
        {"controller value", zem::ctrlValue(0x43E4), 100},
        {"bend", static_cast<unsigned>(zem::bendValue(0xA001)), 1},
        {"port", zem::portField(0xC239), 3},
        {"channel", zem::channelField(0xC239), 9},
        {"program half", zem::isSecondHalf(0xC37F), 0},
        {"channel pressure half", zem::isSecondHalf(0xC385), 1},
        {"seven-bit value", zem::sevenBitValue(0xCBDA), 90},
        {"key pressure has key", zem::keyPressureHasKey(0xC4C0), 1},
        {"byte value", zem::byteValue(0xCCFF), 255},
        {"subclass C", zem::subclass(0xC59F), 5},
        {"subclass F", zem::subclass(0xF2FF), 2},
        {"slide kind", static_cast<unsigned>(zem::slideKind(0xC59F)), 2},
        {"slide flags", zem::slideFlags(0xC59F), 0x1F},
        {"glide flags", zem::glideFlags(0xFFE5), 5},
        {"macro code", zem::macroCode(0xDFED), 45},
        {"macro bytes", zem::macroBytes(0xDFED), 63},
        {"text bytes", zem::textBytes(0xE123), 0x123},
        {"tempo", zem::tempoValue(0xCD12, 0x3456), 0x123456},
        {"meta type", zem::metaType(0x5103), 0x51},
        {"meta bytes", zem::metaBytes(0x5103), 3},
        {"operand number", zem::operandNumber(0xFF80), 0x7F},
        {"operand low byte", zem::operandLowByte(0x12F0), 0xF0},
        {"operand high byte", zem::operandHighByte(0x12F0), 0x12},
        {"modulator parameter", zem::modSetParameter(0x3FFF), 31},
        {"modulator target", zem::modTarget(0x3FFF), 255},
        {"switch flag", zem::modSwitchFlag(0x23FA), 3},
        {"switch sets", zem::modSwitchSets(0x03FA), 0},
    };
    for (const TakenField& c : cases) EXPECT_EQ(c.taken, c.expected) << c.name;
}

// A field out of range is the caller's mistake: debug builds stop on it,
// release builds keep the word inside its class.
struct OutOfRange {
    const char* name;
    std::function<uint16_t(unsigned)> make; // called with 1, so nothing is folded at compile time
    uint16_t classBits;
    uint16_t classMask;
};

TEST(CommandWordsDeathTest, MakersRefuseFieldsOutOfRange)
{
    const OutOfRange cases[] = {
        {"wait", [](unsigned one) { return zem::makeWait(0x0FFF + one); }, zem::kWait, 0xF000},
        {"note key", [](unsigned one) { return zem::makeNote(127 + one, false, false); }, zem::kNote, 0xFE00},
        {"controller", [](unsigned one) { return zem::makeCtrl(127 + one, 0); }, zem::kCtrl, 0xC000},
        {"bend", [](unsigned one) { return zem::makeBend(8191 + static_cast<int>(one)); }, zem::kBend, 0xC000},
        {"port", [](unsigned one) { return zem::makePortChannel(15 + one, 0); }, zem::kPortChannel, 0xFF00},
        {"velocity", [](unsigned one) { return zem::make7BitClass(zem::kVelSet, 127 + one); }, zem::kVelSet, 0xFF80},
        {"sysex count", [](unsigned one) { return zem::makeByteClass(zem::kSysex, 255 + one); }, zem::kSysex, 0xFF00},
        {"macro code", [](unsigned one) { return zem::makeMacro(63 + one, 0); }, zem::kMacro, 0xF000},
        {"text", [](unsigned one) { return zem::makeText(4095 + one); }, zem::kText, 0xF000},
        {"modulator parameter", [](unsigned one) { return zem::makeModSet(31 + one, 0); }, zem::kModSet, 0xE000},
        {"tempo", [](unsigned one) { return zem::makeTempoHigh(zem::kTempo, 0xFFFFFF + one); }, zem::kTempo, 0xFF00},
        {"slide flags", [](unsigned one) { return zem::makeSlide(zem::SlideKind::Bend, 0x1F + one); }, zem::kSlide,
         0xFF00},
        {"glide flags", [](unsigned one) { return zem::makeGlide(7 + one); }, zem::kGlide, 0xFFF8},
    };
    for (const OutOfRange& c : cases) {
#ifdef NDEBUG
        EXPECT_EQ(c.make(1) & c.classMask, c.classBits) << c.name;
#else
        EXPECT_DEATH(c.make(1), "") << c.name;
#endif
    }
}

} // namespace

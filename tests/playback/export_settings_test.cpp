// The exporters' switches: each letter, numbers in their base, the order of
// words, and what trailing text means to the console and windowed forms.
#include "playback/export_messages.h"
#include "playback/export_settings.h"

#include "raised_code.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using playback::ExportSettings;
using tools::TrailingText;

ExportSettings parse(std::vector<std::string> words, TrailingText trailing = TrailingText::EndsWord)
{
    return playback::parseSettings(words, trailing);
}

TEST(ExportSettingsTest, DefaultsWithoutSwitches)
{
    const ExportSettings s = parse({"song.zem"});
    EXPECT_EQ(s.playback.loopCount, 2);
    EXPECT_EQ(s.playback.delayMs, 1000);
    EXPECT_EQ(s.playback.fadeMs, 9000u);
    EXPECT_EQ(s.playback.deviceMask, 0x0001);
    EXPECT_FALSE(s.playback.ignoreEndlessLoops);
    EXPECT_FALSE(s.offVelocity);
}

TEST(ExportSettingsTest, EachSwitchSetsItsField)
{
    struct Row {
        std::vector<std::string> words;
        uint8_t loops;
        int32_t delay;
        uint32_t fade;
        uint16_t mask;
        bool ignoreLoops;
        bool offVelocity;
    };
    const std::vector<Row> table = {
        {{"-L5"}, 5, 1000, 9000, 0x0001, false, false},
        {{"-l"}, 0, 1000, 9000, 0x0001, false, false},    // no digits read as 0
        {{"-L258"}, 2, 1000, 9000, 0x0001, false, false}, // a byte: 258 wraps to 2
        {{"-D250"}, 2, 250, 9000, 0x0001, false, false},
        {{"-F0"}, 2, 1000, 1, 0x0001, false, false}, // the fade is one longer
        {{"-F4999"}, 2, 1000, 5000, 0x0001, false, false},
        {{"-MfF0a"}, 2, 1000, 9000, 0xFF0A, false, false}, // hexadecimal, either case
        {{"-Z", "-O"}, 2, 1000, 9000, 0x0001, true, true},
        {{"-L3-D7-Z"}, 3, 7, 9000, 0x0001, true, false},                // several in one word
        {{"-L3", "a.zem", "-L4"}, 4, 1000, 9000, 0x0001, false, false}, // the later wins
        {{"-L3x-D7"}, 3, 1000, 9000, 0x0001, false, false},             // trailing text ends the word
    };
    for (const Row& r : table) {
        const ExportSettings s = parse(r.words);
        const std::string name = r.words.front();
        EXPECT_EQ(s.playback.loopCount, r.loops) << name;
        EXPECT_EQ(s.playback.delayMs, r.delay) << name;
        EXPECT_EQ(s.playback.fadeMs, r.fade) << name;
        EXPECT_EQ(s.playback.deviceMask, r.mask) << name;
        EXPECT_EQ(s.playback.ignoreEndlessLoops, r.ignoreLoops) << name;
        EXPECT_EQ(s.offVelocity, r.offVelocity) << name;
    }
}

TEST(ExportSettingsTest, RefusedSwitchesRaiseIllegalOption)
{
    struct Row {
        std::string word;
        TrailingText trailing;
    };
    const std::vector<Row> table = {
        {"-Q", TrailingText::EndsWord},
        {"-L3-Q", TrailingText::EndsWord},
        {"-L3x", TrailingText::IsIllegal},
    };
    for (const Row& r : table) {
        EXPECT_EQ(raisedCode([&] { parse({r.word}, r.trailing); }), playback::kErrIllegalOption) << r.word;
    }
}

TEST(ExportMessagesTest, SharedCodesHaveTheirTexts)
{
    struct Row {
        util::ErrCode code;
        std::string text;
    };
    const std::vector<Row> table = {
        {0x40001, "CON\\CON-Proof affected."},
        {0x40004, "Dummy function."},
        {0x40006, "Version of 'ZEMPLAY.DLL' too old."},
        {0x4000A, "Cannot fetch at 0000012a."},
        {0x40011, "Reentranted at 0000012a."},
        {0x40012, ""}, // past the engine's codes
        {0x40002, ""}, // the MIDI exporter's own
    };
    for (const Row& r : table) EXPECT_EQ(playback::exportErrorText(r.code, 0x12A), r.text) << std::hex << r.code;
}

} // namespace

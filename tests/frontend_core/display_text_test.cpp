// The display texts: time, tempo, step position and key signature.
#include "frontend/display_text.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayText, Time)
{
    const struct {
        uint32_t ms;
        const char* text;
    } cases[] = {
        {0, "0:00.00"}, {999, "0:00.99"}, {61010, "1:01.01"}, {3599999, "59:59.99"}, {4294967295u, "71582:47.29"}};
    for (const auto& c : cases) EXPECT_EQ(frontend::timeText(c.ms), c.text) << c.ms;
}

TEST(DisplayText, Tempo)
{
    const struct {
        uint32_t period;
        int timebase;
        const char* text;
    } cases[] = {
        {2667, 192, "119.99"}, // the period of 120 rounded by the engine
        {2560, 200, "120.00"}, // 61440000 / (200 * 2560) exactly 120
        {4289, 150, "95.50"},  // 95.5001
        {3217, 200, "95.49"},  // 95.4927
        {1280, 384, "125.00"}, {0, 192, "0.00"}, {2560, 0, "0.00"},
    };
    for (const auto& c : cases) EXPECT_EQ(frontend::tempoText(c.period, c.timebase), c.text) << c.period;
}

TEST(DisplayText, StepFromTheBarCounterRecord)
{
    const struct {
        uint8_t record[20];
        const char* step;
        const char* measure;
    } cases[] = {
        // mode, 0, beats, beat, bar length (u32), tick in bar (u32), bar (u16), timebase (u16), tick in beat
        {{0, 0, 4, 0, 192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 192, 0, 0, 0, 0, 0}, "0:001:0000", "004:0048"},
        {{0, 0, 4, 2, 192, 0, 0, 0, 100, 0, 0, 0, 7, 0, 192, 0, 4, 0, 0, 0}, "7:003:0004", "004:0048"},
        {{0, 0, 3, 1, 0x20, 0x03, 0, 0, 0x10, 0x01, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, "65535:002:0006", "003:0266"},
        // a damaged count of beats is shown, never divided by
        {{0, 0, 0, 0, 192, 0, 0, 0, 5, 0, 0, 0, 1, 0, 192, 0, 0, 0, 0, 0}, "1:001:0005", "000:0000"},
        // a tick in the beat past 9999 is capped
        {{0, 0, 1, 2, 0x10, 0x27, 0, 0, 0x30, 0x75, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}, "2:003:9999", "001:10000"},
    };
    for (const auto& c : cases) {
        const frontend::BarPosition p = frontend::barPosition(c.record);
        EXPECT_EQ(frontend::stepText(p), c.step);
        EXPECT_EQ(frontend::measureText(p), c.measure);
    }
}

TEST(DisplayText, KeySignature)
{
    const struct {
        std::vector<uint8_t> payload;
        const char* text;
    } cases[] = {
        {{0, 0}, "C major"},
        {{0xFE, 0}, "Bb major"},
        {{6, 0}, "F# major"},
        {{1, 1}, "E minor"},
        {{0xF9, 0}, "Cb major"},
        {{7, 1}, "A# minor"},
        {{7, 0}, "C# major"},
        {{0xF9, 1}, "Ab minor"},
        {{0, 1}, "A minor"},
        {{0, 2}, "(META89: illegal)"},
        {{0, 0, 0}, "(META89: length mismatch)"},
        {{}, "(META89: length mismatch)"},
    };
    for (const auto& c : cases) EXPECT_EQ(frontend::keyText(c.payload.data(), c.payload.size()), c.text);
}

} // namespace

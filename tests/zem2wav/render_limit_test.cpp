// Which song lengths a WAVE render refuses, and how the refusal reads.
#include "zem2wav/render_limit.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kHour = 3600 * 1000;

TEST(Zem2wavRenderLimit, RefusalsNameTheLength)
{
    struct LimitCase {
        uint64_t songMs;
        bool cut;
        uint32_t limitMinutes;
        std::string refusal;
    };
    const LimitCase cases[] = {
        {4 * kHour, false, 240, ""},
        {4 * kHour + 1000, false, 240,
         "Song plays 4:00:01, longer than the render limit of 4:00:00 (-T raises it, in minutes)."},
        {24 * kHour, true, 240,
         "Song plays longer than 24:00:00, longer than the render limit of 4:00:00 (-T raises it, in minutes)."},
        // 6:45:47 and a little more is all the RIFF size fields can count,
        // the synthesizer's tail included.
        {6 * kHour + 45 * 60000 + 42000, false, 500, ""},
        {6 * kHour + 45 * 60000 + 43000, false, 500, "Song plays 6:45:43, longer than a WAVE file holds (6:45:47)."},
        {7 * kHour, false, 500, "Song plays 7:00:00, longer than a WAVE file holds (6:45:47)."},
        {0, false, 0, ""},
        {1, false, 0, "Song plays 0:00:00, longer than the render limit of 0:00:00 (-T raises it, in minutes)."},
    };
    for (const LimitCase& c : cases)
        EXPECT_EQ(zem2wav::renderRefusal(c.songMs, c.cut, c.limitMinutes, 5000), c.refusal) << c.songMs;
}

TEST(Zem2wavRenderLimit, ClockText)
{
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0:00:00"}, {999, "0:00:00"}, {61000, "0:01:01"}, {25 * kHour + 59 * 60000 + 59999, "25:59:59"}};
    for (const auto& [ms, text] : cases) EXPECT_EQ(zem2wav::clockText(ms), text) << ms;
}

} // namespace

// A channel-pressure slide with two values carries both in its first
// operand word: the words after it are the length and the next command.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

TEST(EngineChannelPressureSlide, SecondValueComesFromTheFirstWord)
{
    using K = zem::SlideKind;
    struct Case {
        const char* name;
        unsigned flags;
        uint16_t operand;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"one value",
         0,
         0x0064,
         {"chanp 0 0 0 0", "ctrl 0 0 0 7 99", "chanp 0 0 0 25", "chanp 0 0 0 50", "chanp 0 0 0 75", "chanp 0 0 0 100"}},
        {"through B at half time",
         zem::kSlideTwoValues,
         0x5064,
         {"chanp 0 0 0 0", "ctrl 0 0 0 7 99", "chanp 0 0 0 47", "chanp 0 0 0 80", "chanp 0 0 0 97", "chanp 0 0 0 100"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256),
                                        {zem::makeChanPressure(0)},
                                        {zem::makeSlide(K::ChanPressure, c.flags | zem::kSlideHasLength), c.operand},
                                        lengthWords(4),
                                        {zem::makeCtrl(7, 99)},
                                        wait(10),
                                        {zem::kEnd}})}});
        s.units(10);
        EXPECT_EQ(host.onlyUnstamped({"chanp", "ctrl"}), c.log) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

} // namespace

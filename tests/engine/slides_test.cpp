// Timed slides of controllers, pitch bend and pressures, the pitch glide,
// and the set/add/commit/clear commands around them.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

uint16_t slide(zem::SlideKind kind, unsigned flags) { return zem::makeSlide(kind, flags | zem::kSlideHasLength); }
uint16_t word(int v) { return static_cast<uint16_t>(v); }

struct SlideCase {
    const char* name;
    Words track; // after one tick per unit; runs from tick 1
    const char* kind;
    std::vector<std::string> expected;
};

TEST(EngineSlides, ValuesPerTick)
{
    using K = zem::SlideKind;
    const SlideCase cases[] = {
        {"linear controller",
         cat({{zem::makeCtrl(7, 0), slide(K::Controller, 0), 0x0764}, lengthWords(4)}),
         "ctrl",
         {"0 ctrl 0 0 0 7 0", "1 ctrl 0 0 0 7 25", "2 ctrl 0 0 0 7 50", "3 ctrl 0 0 0 7 75", "4 ctrl 0 0 0 7 100"}},
        {"curve through the middle value",
         cat({{zem::makeCtrl(7, 0), slide(K::Controller, zem::kSlideTwoValues), 0x0764, 0x0050}, lengthWords(4)}),
         "ctrl",
         {"0 ctrl 0 0 0 7 0", "1 ctrl 0 0 0 7 47", "2 ctrl 0 0 0 7 80", "3 ctrl 0 0 0 7 97", "4 ctrl 0 0 0 7 100"}},
        {"relative goal",
         cat({{zem::makeCtrl(7, 50), slide(K::Controller, zem::kSlideRelA), 0x07EC}, lengthWords(4)}),
         "ctrl",
         {"0 ctrl 0 0 0 7 50", "1 ctrl 0 0 0 7 45", "2 ctrl 0 0 0 7 40", "3 ctrl 0 0 0 7 35", "4 ctrl 0 0 0 7 30"}},
        {"goal above 127 is clamped",
         cat({{zem::makeCtrl(7, 100), slide(K::Controller, 0), 0x07C8}, lengthWords(2)}),
         "ctrl",
         {"0 ctrl 0 0 0 7 100", "1 ctrl 0 0 0 7 127"}},
        {"update interval",
         cat({param(0, 1), {zem::makeCtrl(7, 0), slide(K::Controller, 0), 0x0764}, lengthWords(4)}),
         "ctrl",
         {"0 ctrl 0 0 0 7 0", "1 ctrl 0 0 0 7 25", "3 ctrl 0 0 0 7 75", "5 ctrl 0 0 0 7 100"}},
        {"set cancels the slide",
         cat({{zem::makeCtrl(7, 0), slide(K::Controller, 0), 0x0764}, lengthWords(4), wait(2), {zem::makeCtrl(7, 10)}}),
         "ctrl",
         {"0 ctrl 0 0 0 7 0", "1 ctrl 0 0 0 7 25", "2 ctrl 0 0 0 7 50", "2 ctrl 0 0 0 7 10"}},
        {"add, commit, clear",
         {zem::makeCtrl(7, 100), zem::kCtrlAdd, 0x0714, zem::makeByteClass(zem::kCtrlCommit, 7), zem::kCtrlAdd, 0x07F6,
          zem::makeByteClass(zem::kCtrlClear, 0x80 | 7)},
         "ctrl",
         {"0 ctrl 0 0 0 7 100", "0 ctrl 0 0 0 7 120", "0 ctrl 0 0 0 7 120", "0 ctrl 0 0 0 7 110",
          "0 ctrl 0 0 0 7 120"}},
        {"bend slide",
         cat({{zem::makeBend(0), slide(K::Bend, 0), 4096}, lengthWords(4)}),
         "bend",
         {"0 bend 0 0 0 0", "1 bend 0 0 0 1024", "2 bend 0 0 0 2048", "3 bend 0 0 0 3072", "4 bend 0 0 0 4096"}},
        {"bend add and commit clamp",
         {zem::makeBend(8000), zem::kBendAdd, 1000, zem::kBendCommit, zem::kBendClear},
         "bend",
         {"0 bend 0 0 0 8000", "0 bend 0 0 0 8191", "0 bend 0 0 0 8191", "0 bend 0 0 0 8191"}},
        {"bend scale and fine pitch",
         cat({param(15, 4096), {zem::makeBend(1000)}, param(12, 200)}),
         "bend",
         {"0 bend 0 0 0 500", "0 bend 0 0 0 600"}},
        {"key pressure slide",
         cat({{zem::makeKeyPressure(0, true), 60, slide(K::KeyPressure, 0), 0x3C64}, lengthWords(2)}),
         "keyp",
         {"0 keyp 0 0 0 60 0", "1 keyp 0 0 0 60 50", "2 keyp 0 0 0 60 100"}},
        {"key pressure keeps its key",
         cat({param(4, 2), {zem::makeKeyPressure(10, true), 60, zem::makeKeyPressure(20, false)}}),
         "keyp",
         {"0 keyp 0 0 0 62 10", "0 keyp 0 0 0 62 20"}},
        {"key pressure add, commit, clear",
         {zem::makeKeyPressure(40, true), 60, zem::kKeypAdd, 0x3C0A, zem::makeByteClass(zem::kKeypCommit, 60),
          zem::kKeypAdd, 0x3CFB, zem::makeByteClass(zem::kKeypClear, 0x80 | 60)},
         "keyp",
         {"0 keyp 0 0 0 60 40", "0 keyp 0 0 0 60 50", "0 keyp 0 0 0 60 50", "0 keyp 0 0 0 60 45",
          "0 keyp 0 0 0 60 50"}},
        {"channel pressure slide",
         cat({{zem::makeChanPressure(0), slide(K::ChanPressure, 0), 0x0064}, lengthWords(2)}),
         "chanp",
         {"0 chanp 0 0 0 0", "1 chanp 0 0 0 50", "2 chanp 0 0 0 100"}},
        {"channel pressure add and clear",
         {zem::makeChanPressure(10), zem::kChanpAdd, 0x00FB, zem::kChanpClear},
         "chanp",
         {"0 chanp 0 0 0 10", "0 chanp 0 0 0 5", "0 chanp 0 0 0 10"}},
        {"glide adds to the bend",
         cat({{zem::makeBend(100), zem::makeGlide(zem::kGlideHasLength), 400},
              lengthWords(4),
              wait(4),
              {zem::kGlideReset}}),
         "bend",
         {"0 bend 0 0 0 100", "1 bend 0 0 0 200", "2 bend 0 0 0 300", "3 bend 0 0 0 400", "4 bend 0 0 0 500",
          "4 bend 0 0 0 100"}},
        {"glide set", {zem::kGlideSet, word(-50)}, "bend", {"0 bend 0 0 0 -50"}},
        {"data increment emulation",
         cat({param(14, 1), {zem::makeCtrl(6, 10), zem::makeCtrl(96, 0), zem::makeCtrl(97, 0), zem::makeCtrl(97, 0)}}),
         "ctrl",
         {"0 ctrl 0 0 0 6 10", "0 ctrl 0 0 0 6 11", "0 ctrl 0 0 0 6 10", "0 ctrl 0 0 0 6 9"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256), c.track, wait(20), {zem::kEnd}})}});
        s.units(12);
        EXPECT_EQ(host.byTick({c.kind}), c.expected) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

TEST(EngineSlides, SlideOfAnotherTrackOnTheSameTargetIsReplaced)
{
    RecordingHost host;
    ImagePlan plan{
        {cat({tempo(256),
              {zem::makeCtrl(7, 0), zem::makeSlide(zem::SlideKind::Controller, zem::kSlideHasLength), 0x0764},
              lengthWords(8),
              wait(20),
              {zem::kEnd}}),
         cat({wait(2),
              {zem::makeSlide(zem::SlideKind::Controller, zem::kSlideHasLength), 0x0700},
              lengthWords(2),
              wait(20),
              {zem::kEnd}})}};
    Session s(host, plan);
    s.units(12);
    // Track 1 starts from its own record (0) in tick 3 and takes over.
    EXPECT_EQ(host.byTick({"ctrl"}), (std::vector<std::string>{"0 ctrl 0 0 0 7 0", "1 ctrl 0 0 0 7 12",
                                                               "2 ctrl 0 0 0 7 25", "3 ctrl 0 1 0 7 0"}));
}

// Two tracks sharing a channel: a glide reset ends the resetting track's
// own glide, never the one another track runs there.
TEST(EngineSlides, GlideResetEndsOnlyTheTracksOwnGlide)
{
    struct ResetCase {
        const char* name;
        Words second; // track 1, from tick 0
        std::vector<std::string> expected;
    };
    const ResetCase cases[] = {
        {"another track's glide stays", cat({wait(2), {zem::kGlideReset}}), {"0 bend 0 0 0 300", "2 bend 0 1 0 300"}},
        {"its own glide ends",
         cat({wait(2), {zem::kGlideSet, 100}, wait(2), {zem::kGlideReset}}),
         {"0 bend 0 0 0 300", "2 bend 0 1 0 100", "4 bend 0 1 0 0"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        ImagePlan plan{
            {cat({tempo(256), {zem::kGlideSet, 300}, wait(20), {zem::kEnd}}), cat({c.second, wait(20), {zem::kEnd}})}};
        Session s(host, plan);
        s.units(12);
        EXPECT_EQ(host.byTick({"bend"}), c.expected) << c.name;
    }
}

} // namespace

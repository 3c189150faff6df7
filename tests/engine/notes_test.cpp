// Notes: lengths and gate, velocities and their scales, transpose, hold
// marks, a key struck again, and the release operation.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zemtest;

namespace {

struct NoteCase {
    const char* name;
    Words track; // played after a tempo of one tick per unit
    std::vector<std::string> expected;
};

uint16_t word(int v) { return static_cast<uint16_t>(v); }

TEST(EngineNotes, LengthsGateAndVelocities)
{
    const NoteCase cases[] = {
        {"plain", note(60, 48), {"0 on 0 0 0 60 127", "48 off 0 0 0 60 127"}},
        {"gate ratio 512",
         cat({{zem::kGateRatioSet, 512}, note(60, 48)}),
         {"0 on 0 0 0 60 127", "24 off 0 0 0 60 127"}},
        {"gate base length 12",
         cat({{zem::kGateRatioSet, 512}, param(40, 12), note(60, 48)}),
         {"0 on 0 0 0 60 127", "42 off 0 0 0 60 127"}},
        {"gate offset -8",
         cat({{zem::kGateOfsSet, word(-8)}, note(60, 48)}),
         {"0 on 0 0 0 60 127", "40 off 0 0 0 60 127"}},
        {"gate at least 1 tick",
         cat({{zem::kGateOfsSet, word(-100)}, note(60, 48)}),
         {"0 on 0 0 0 60 127", "1 off 0 0 0 60 127"}},
        {"gate offset add and clear",
         cat({{zem::kGateOfsAdd, word(-4), zem::kGateOfsAdd, word(-4)},
              note(60, 20),
              {zem::kGateOfsClear},
              note(61, 20)}),
         {"0 on 0 0 0 60 127", "12 off 0 0 0 60 127", "20 on 0 0 0 61 127", "40 off 0 0 0 61 127"}},
        {"exclusive gate: ratio set clears the offset",
         cat({param(41, 1), {zem::kGateOfsSet, word(-8), zem::kGateRatioSet, 1024}, note(60, 20)}),
         {"0 on 0 0 0 60 127", "20 off 0 0 0 60 127"}},
        {"gate ratio add, clear",
         cat({{zem::kGateRatioAdd, word(-512)}, note(60, 20), {zem::kGateRatioClear}, note(61, 20)}),
         {"0 on 0 0 0 60 127", "10 off 0 0 0 60 127", "20 on 0 0 0 61 127", "40 off 0 0 0 61 127"}},
        {"gate ratio add, commit",
         cat({{zem::kGateRatioAdd, word(-256), zem::kGateRatioCommit, zem::kGateRatioAdd, word(-256)}, note(60, 20)}),
         {"0 on 0 0 0 60 127", "10 off 0 0 0 60 127"}},
        {"denominator 512 doubles the gate",
         cat({param(42, 512), {zem::kGateRatioSet, 256}, note(60, 20)}),
         {"0 on 0 0 0 60 127", "10 off 0 0 0 60 127"}},
        {"velocity set and add",
         cat({{zem::makeByteClass(zem::kVelSet, 100), zem::makeByteClass(zem::kVelAdd, 0xF6)}, note(60, 4)}),
         {"0 on 0 0 0 60 90", "4 off 0 0 0 60 127"}},
        {"velocity offset cleared",
         cat({{zem::makeByteClass(zem::kVelAdd, 0xF6), zem::kVelClear}, note(60, 4)}),
         {"0 on 0 0 0 60 127", "4 off 0 0 0 60 127"}},
        {"velocity commit clamps",
         cat({{zem::makeByteClass(zem::kVelAdd, 100), zem::kVelCommit}, note(60, 4)}),
         {"0 on 0 0 0 60 127", "4 off 0 0 0 60 127"}},
        {"velocity scale 128 note", cat({param(28, 128), note(60, 4)}), {"0 on 0 0 0 60 63", "4 off 0 0 0 60 127"}},
        {"velocity scale 0 sends 1", cat({param(28, 0), note(60, 4)}), {"0 on 0 0 0 60 1", "4 off 0 0 0 60 127"}},
        {"release velocity",
         cat({{zem::makeByteClass(zem::kVelSet, 0x80 | 64), zem::makeByteClass(zem::kRvelAdd, 10)}, note(60, 4)}),
         {"0 on 0 0 0 60 127", "4 off 0 0 0 60 74"}},
        {"release scale 512 limits to 127",
         cat({param(29, 512), note(60, 4)}),
         {"0 on 0 0 0 60 127", "4 off 0 0 0 60 127"}},
        {"saved state restored",
         cat({{zem::makeByteClass(zem::kVelSet, 50), zem::kStateSave, zem::makeByteClass(zem::kVelSet, 90)},
              note(60, 2),
              {zem::kStateRestore},
              note(61, 2)}),
         {"0 on 0 0 0 60 90", "2 off 0 0 0 60 127", "2 on 0 0 0 61 50", "4 off 0 0 0 61 127"}},
        {"transpose clamps high", cat({param(4, 70), note(100, 2)}), {"0 on 0 0 0 127 127", "2 off 0 0 0 127 127"}},
        {"transpose clamps low", cat({param(4, word(-70)), note(10, 2)}), {"0 on 0 0 0 0 127", "2 off 0 0 0 0 127"}},
        {"transpose add", cat({param(4, 2), param(5, 3), note(60, 2)}), {"0 on 0 0 0 65 127", "2 off 0 0 0 65 127"}},
        {"note without length uses the last one",
         cat({note(60, 10), {0xC17F}}),
         {"0 on 0 0 0 60 127", "10 off 0 0 0 60 127", "10 on 0 0 0 127 127", "20 off 0 0 0 127 127"}},
        {"length 0 sounds until all notes off",
         cat({note(60, 0), wait(5), note(62, 2), {zem::kAllNotesOff}}),
         {"0 on 0 0 0 60 127", "5 on 0 0 0 62 127", "7 off 0 0 0 62 127", "7 off 0 0 0 60 127"}},
        {"hold A keeps the note until cleared",
         cat({param(6, 1), note(60, 5), wait(5), param(6, 0)}),
         {"0 on 0 0 0 60 127", "10 off 0 0 0 60 127"}},
        {"hold B marks only sounding notes",
         cat({note(60, 10, false), param(7, 1), note(62, 3), wait(10), param(7, 0)}),
         {"0 on 0 0 0 60 127", "0 on 0 0 0 62 127", "3 off 0 0 0 62 127", "13 off 0 0 0 60 127"}},
        {"notes ending in one tick are released in the order they started",
         cat({note(60, 4, false), note(64, 4, false), note(67, 4)}),
         {"0 on 0 0 0 60 127", "0 on 0 0 0 64 127", "0 on 0 0 0 67 127", "4 off 0 0 0 60 127", "4 off 0 0 0 64 127",
          "4 off 0 0 0 67 127"}},
        {"all notes off releases in start order too",
         cat({note(67, 0, false), note(60, 0, false), note(64, 0, false), wait(3), {zem::kAllNotesOff}}),
         {"0 on 0 0 0 67 127", "0 on 0 0 0 60 127", "0 on 0 0 0 64 127", "3 off 0 0 0 67 127", "3 off 0 0 0 60 127",
          "3 off 0 0 0 64 127"}},
        {"port and channel",
         cat({{zem::makePortChannel(3, 9)}, note(40, 2)}),
         {"0 on 3 0 9 40 127", "2 off 3 0 9 40 127"}},
        {"missing port is silent", cat({{zem::makePortChannel(5, 0)}, note(40, 2)}), {}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256), c.track, wait(100), {zem::kEnd}})}}, 4);
        s.units(200);
        EXPECT_EQ(host.byTick({"on", "off"}), c.expected) << c.name;
    }
}

TEST(EngineNotes, GateRatioWordIsKeptAndClampedWhenUsed)
{
    // A 48-tick note: length x ratio / 1024, the ratio clamped to 0..32767.
    const struct {
        uint16_t ratio;
        uint32_t offTick;
    } cases[] = {{1024, 48}, {0x7FFF, 1535}, {0x8000, 1535}, {0xFFFF, 1535}, {0, 1}};
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host,
                  ImagePlan{{cat({tempo(256), {zem::kGateRatioSet, c.ratio}, note(60, 48), wait(2000), {zem::kEnd}})}});
        s.units(1600);
        EXPECT_EQ(host.byTick({"off"}), (std::vector<std::string>{std::to_string(c.offTick) + " off 0 0 0 60 127"}))
            << "ratio " << c.ratio;
    }
}

TEST(EngineNotes, WaitLongAddsItsHighWord)
{
    RecordingHost host;
    Session s(host, ImagePlan{{cat({tempo(16), {0x1005, 0x0002}, note(60, 1), {zem::kEnd}})}});
    s.ticks(8200);
    EXPECT_EQ(host.byTick({"on"}), (std::vector<std::string>{"8197 on 0 0 0 60 127"}));
}

TEST(EngineNotes, KeyStruckAgainIsReleasedFirst)
{
    RecordingHost host;
    ImagePlan plan{{cat({tempo(256), note(60, 10), wait(20), {zem::kEnd}}),
                    cat({wait(3), param(29, 128), note(60, 4), wait(20), {zem::kEnd}})}};
    Session s(host, plan);
    s.units(100);
    // Its wait started before the first tick, so it strikes in tick 4.
    // The second track takes the key over: its note off comes first (127
    // through its release scale), and the first track no longer owns it.
    EXPECT_EQ(host.byTick({"on", "off"}), (std::vector<std::string>{"0 on 0 0 0 60 127", "3 off 0 1 0 60 63",
                                                                    "3 on 0 1 0 60 127", "7 off 0 1 0 60 63"}));
}

TEST(EngineNotes, ReleaseOperationByPortOrChannel)
{
    struct MaskCase {
        unsigned ports, channels;
        std::vector<std::string> released;
    };
    const MaskCase cases[] = {
        {0, 0x0002, {"off 0 0 1 61 127"}},
        {0x0002, 0, {"off 1 0 0 62 127"}},
        {0x0001, 0x0001, {"off 0 0 1 61 127", "off 0 0 0 60 127", "off 1 0 0 62 127"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Words track = cat({note(60, 0, false),
                           {zem::makePortChannel(0, 1)},
                           note(61, 0, false),
                           {zem::makePortChannel(1, 0)},
                           note(62, 0, false),
                           wait(100),
                           {zem::kEnd}});
        Session s(host, ImagePlan{{track}}, 2);
        s.units(20);
        EXPECT_EQ(s.player()->release_notes(s.player(), c.ports, c.channels), 0);
        std::vector<std::string> offs = host.onlyUnstamped({"off"});
        std::sort(offs.begin(), offs.end());
        std::vector<std::string> expected = c.released;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(offs, expected);
    }
}

} // namespace

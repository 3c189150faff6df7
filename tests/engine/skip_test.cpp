// Skip mode: silent notes, held-back values and their flush, the marks,
// and the controller and track filters.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

struct SkipCase {
    const char* name;
    Words track;
    std::vector<std::string> expected; // unstamped channel messages
};

TEST(EngineSkip, HeldValuesFiltersAndMarks)
{
    const std::initializer_list<const char*> kinds = {"on", "off", "ctrl", "prog", "bend", "chanp", "keyp"};
    const SkipCase cases[] = {
        {"CTRL twice sends twice", {zem::makeCtrl(7, 5), zem::makeCtrl(7, 5)}, {"ctrl 0 0 0 7 5", "ctrl 0 0 0 7 5"}},
        {"only the last held volume is sent",
         cat({param(255, 2), {zem::makeCtrl(7, 10), zem::makeCtrl(7, 20), zem::makeCtrl(7, 30)}, param(255, 0)}),
         {"ctrl 0 0 0 7 30"}},
        {"unmarked controller and program go out at once",
         cat({param(255, 2), {zem::makeCtrl(80, 10), zem::makeProgram(5)}, param(255, 0)}),
         {"ctrl 0 0 0 80 10", "prog 0 0 0 5"}},
        {"flush order: controllers, bend, pressure, key pressure, program",
         cat({param(253, 0xFFFE),
              param(255, 3),
              {zem::makeProgram(9), zem::makeKeyPressure(40, true), 60, zem::makeChanPressure(30), zem::makeBend(100),
               zem::makeCtrl(10, 20), zem::makeCtrl(7, 90)},
              param(255, 1)}),
         {"ctrl 0 0 0 7 90", "ctrl 0 0 0 10 20", "bend 0 0 0 100", "chanp 0 0 0 30", "keyp 0 0 0 60 40",
          "prog 0 0 0 9"}},
        {"unmark sends the held values of that mark at once",
         cat({param(255, 2), {zem::makeCtrl(7, 10), zem::makeCtrl(10, 20)}, param(254, 7), {zem::makeCtrl(7, 30)}}),
         {"ctrl 0 0 0 7 10", "ctrl 0 0 0 7 30"}},
        {"a newly marked controller is held", cat({param(253, 74), param(255, 2), {zem::makeCtrl(74, 10)}}), {}},
        {"skip 1 silences note ons but not their note offs",
         cat({param(255, 1), note(60, 2), param(255, 0), note(61, 2)}),
         {"off 0 0 0 60 127", "on 0 0 0 61 127", "off 0 0 0 61 127"}},
        {"sysex is never held", cat({param(255, 2), sysex({0xF0, 0xF7})}), {}},
        {"global filter suppresses volume",
         cat({param(16, 0x0080), {zem::makeCtrl(7, 10), zem::makeCtrl(8, 10)}}),
         {"ctrl 0 0 0 8 10"}},
        {"filtered NRPN LSB goes out as 127", cat({param(22, 0x0004), {zem::makeCtrl(98, 10)}}), {"ctrl 0 0 0 98 127"}},
        {"track filter: program", cat({param(24, 1), {zem::makeProgram(5), zem::makeCtrl(0, 1)}}), {"ctrl 0 0 0 0 1"}},
        {"track filter: bank select",
         cat({param(24, 6), {zem::makeCtrl(0, 1), zem::makeCtrl(32, 1), zem::makeProgram(5)}}),
         {"prog 0 0 0 5"}},
        {"output mode 2 is silent", cat({param(100, 2), {zem::makeCtrl(7, 1)}, note(60, 2)}), {}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256), c.track, wait(10), {zem::kEnd}})}});
        s.units(20);
        EXPECT_EQ(host.onlyUnstamped(kinds), c.expected) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

TEST(EngineSkip, LeavingSkipModeFlushesEveryPort)
{
    RecordingHost host;
    Session s(host,
              ImagePlan{{cat(
                  {param(255, 2),
                   {zem::makePortChannel(1, 3), zem::makeCtrl(7, 10), zem::makePortChannel(0, 2), zem::makeCtrl(7, 20)},
                   param(255, 0),
                   wait(10),
                   {zem::kEnd}})}},
              2);
    s.units(40);
    EXPECT_EQ(host.onlyUnstamped({"ctrl"}), (std::vector<std::string>{"ctrl 0 0 2 7 20", "ctrl 1 0 3 7 10"}));
}

// Each held-back value goes out as the track that changed it, whichever
// track ends skip mode and whoever else held values on the channel.
TEST(EngineSkip, FlushSendsEachValueAsTheTrackThatHeldIt)
{
    struct FlushCase {
        const char* name;
        Words first, second;
        std::vector<std::string> expected;
    };
    const FlushCase cases[] = {
        {"volume of track 0, bend of track 1",
         cat({param(255, 2), {zem::makeCtrl(7, 10)}, wait(3), param(255, 0)}),
         cat({wait(1), {zem::makeBend(100)}}),
         {"ctrl 0 0 0 7 10", "bend 0 1 0 100"}},
        {"track 1 ends skip mode for a value of track 0",
         cat({param(255, 2), {zem::makeCtrl(7, 10)}}),
         cat({wait(2), param(255, 0)}),
         {"ctrl 0 0 0 7 10"}},
        {"the last track to change a value sends it",
         cat({param(255, 2), {zem::makeCtrl(10, 1)}, wait(3), param(255, 0)}),
         cat({wait(1), {zem::makeCtrl(10, 2)}}),
         {"ctrl 0 1 0 10 2"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256), c.first, wait(10), {zem::kEnd}}),
                                   cat({c.second, wait(10), {zem::kEnd}})}});
        s.units(20);
        EXPECT_EQ(host.onlyUnstamped({"ctrl", "bend"}), c.expected) << c.name;
    }
}

} // namespace

// Modulators: note-on and note-off values, the oscillators, the envelope
// and the glide, each on a controller, the bend or a track value.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

Words modSet(unsigned target, unsigned parameter, int value)
{
    return {zem::makeModSet(parameter, target), static_cast<uint16_t>(value)};
}
Words modSwitch(unsigned target, unsigned flag, bool on = true)
{
    return {zem::kModSwitch, zem::makeModSwitchOperand(target, flag, on)};
}

struct ModCase {
    const char* name;
    Words track; // from tick 1, one tick per unit
    std::initializer_list<const char*> kinds;
    size_t firstLines; // compare only this many lines (0 = all)
    std::vector<std::string> expected;
};

TEST(EngineModulators, OutputsPerTick)
{
    const ModCase cases[] = {
        {"note-on value on a controller",
         cat({modSet(74, 2, 90), modSwitch(74, 0), note(60, 2)}),
         {"ctrl", "on"},
         0,
         {"0 ctrl 0 0 0 74 90", "0 on 0 0 0 60 127"}},
        {"note-on value follows the key",
         cat({modSet(74, 2, 0), modSet(74, 3, 127), modSwitch(74, 0), modSwitch(74, 8), note(64, 2)}),
         {"ctrl"},
         0,
         {"0 ctrl 0 0 0 74 64"}},
        {"note-off value after the last note",
         cat({modSet(74, 5, 10), modSwitch(74, 1), note(60, 2), note(61, 2)}),
         {"ctrl", "off"},
         0,
         {"2 off 0 0 0 60 127", "2 ctrl 0 0 0 74 10", "4 off 0 0 0 61 127", "4 ctrl 0 0 0 74 10"}},
        {"velocity note-on value",
         cat({modSet(254, 2, 50), modSwitch(254, 0), note(60, 2)}),
         {"on"},
         0,
         {"0 on 0 0 0 60 50"}},
        {"gate ratio note-on value",
         cat({modSet(253, 2, 512), modSwitch(253, 0), note(60, 8)}),
         {"off"},
         0,
         {"4 off 0 0 0 60 127"}},
        {"tempo note-on value reported at once from track 0",
         cat({modSet(251, 2, -1000), modSwitch(251, 0), note(60, 2)}),
         {"tempo"},
         0,
         {"0 tempo 0 256", "0 tempo 0 1"}},
        {"oscillator A square",
         cat({{zem::makeCtrl(1, 64)},
              modSet(1, 17, 0),
              modSet(1, 18, 10),
              modSet(1, 19, 10),
              modSet(1, 21, 8),
              modSet(1, 22, 8),
              modSwitch(1, 5),
              note(60, 40)}),
         {"ctrl"},
         5,
         {"0 ctrl 0 0 0 1 64", "1 ctrl 0 0 0 1 74", "4 ctrl 0 0 0 1 54", "8 ctrl 0 0 0 1 74", "12 ctrl 0 0 0 1 54"}},
        {"oscillator A is idle without a sounding note",
         cat({modSet(1, 18, 10), modSet(1, 19, 10), modSet(1, 21, 8), modSet(1, 22, 8), modSwitch(1, 5)}),
         {"ctrl"},
         0,
         {}},
        {"oscillator A triangle on the bend",
         cat({modSet(255, 17, 0x0200), modSet(255, 18, 1000), modSet(255, 19, 1000), modSet(255, 21, 8),
              modSet(255, 22, 8), modSwitch(255, 5), note(60, 40)}),
         {"bend"},
         5,
         {"1 bend 0 0 0 500", "2 bend 0 0 0 1000", "3 bend 0 0 0 500", "4 bend 0 0 0 0", "5 bend 0 0 0 -500"}},
        {"oscillator A switched off sends the bend back to its base at once",
         cat({modSet(255, 17, 0x0200), modSet(255, 18, 1000), modSet(255, 19, 1000), modSet(255, 21, 8),
              modSet(255, 22, 8), modSwitch(255, 5), note(60, 40, false), wait(3), modSwitch(255, 5, false)}),
         {"bend"},
         0,
         {"1 bend 0 0 0 500", "2 bend 0 0 0 1000", "3 bend 0 0 0 500", "3 bend 0 0 0 0"}},
        {"oscillator B runs without a gate and stops at its next evaluation",
         cat({modSet(255, 27, 0), modSet(255, 28, 100), modSet(255, 29, 4), modSwitch(255, 7), wait(4),
              modSwitch(255, 7, false)}),
         {"bend"},
         0,
         {"1 bend 0 0 0 100", "2 bend 0 0 0 -100", "4 bend 0 0 0 100", "5 bend 0 0 0 0"}},
        {"oscillator B fades in",
         cat({modSet(255, 27, 0), modSet(255, 28, 100), modSet(255, 29, 40), modSet(255, 30, 4), modSwitch(255, 7)}),
         {"bend"},
         4,
         {"1 bend 0 0 0 25", "2 bend 0 0 0 50", "3 bend 0 0 0 75", "4 bend 0 0 0 100"}},
        {"envelope attack and decay",
         cat({modSet(11, 8, 100), modSet(11, 10, 4), modSet(11, 14, 50), modSet(11, 16, 2), modSwitch(11, 2),
              modSwitch(11, 4), note(60, 40)}),
         {"ctrl"},
         0,
         {"2 ctrl 0 0 0 11 25", "3 ctrl 0 0 0 11 50", "4 ctrl 0 0 0 11 75", "5 ctrl 0 0 0 11 100", "6 ctrl 0 0 0 11 75",
          "7 ctrl 0 0 0 11 50"}},
        {"envelope release after the note",
         cat({modSet(11, 8, 100), modSet(11, 11, 0), modSet(11, 13, 2), modSwitch(11, 3), note(60, 3)}),
         {"ctrl"},
         0,
         {"1 ctrl 0 0 0 11 100", "4 ctrl 0 0 0 11 50", "5 ctrl 0 0 0 11 0"}},
        {"glide from the present value",
         cat({{zem::makeCtrl(7, 20)}, modSet(7, 24, 100), modSet(7, 26, 4), modSwitch(7, 6)}),
         {"ctrl"},
         0,
         {"0 ctrl 0 0 0 7 20", "1 ctrl 0 0 0 7 40", "2 ctrl 0 0 0 7 60", "3 ctrl 0 0 0 7 80", "4 ctrl 0 0 0 7 100"}},
        {"evaluated every 2 units",
         cat({modSet(7, 0, 2), modSet(7, 24, 100), modSet(7, 26, 4), modSwitch(7, 6)}),
         {"ctrl"},
         0,
         {"1 ctrl 0 0 0 7 25", "3 ctrl 0 0 0 7 75", "5 ctrl 0 0 0 7 100"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256), c.track, wait(60), {zem::kEnd}})}});
        s.units(30);
        std::vector<std::string> got = host.byTick(c.kinds);
        if (c.firstLines && got.size() > c.firstLines) got.resize(c.firstLines);
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

TEST(EngineModulators, WaveformsOverOneCycle)
{
    // Oscillator B on the bend, depth 8000, a cycle of 8 units: one eighth
    // of a cycle per tick.  A value equal to the last one sent is not sent.
    struct WaveCase {
        const char* name;
        unsigned waveform;
        std::vector<std::string> expected;
    };
    const WaveCase cases[] = {
        {"square", 0, {"1 8000", "4 -8000", "8 8000"}},
        {"sine", 1, {"1 5656", "2 8000", "3 5656", "4 0", "5 -5656", "6 -8000", "7 -5656", "8 0"}},
        {"triangle", 2, {"1 4000", "2 8000", "3 4000", "4 0", "5 -4000", "6 -8000", "7 -4000", "8 0"}},
        {"rising ramp", 3, {"1 2000", "2 4000", "3 6000", "4 -8000", "5 -6000", "6 -4000", "7 -2000", "8 0"}},
        {"falling ramp", 4, {"1 -2000", "2 -4000", "3 -6000", "4 8000", "5 6000", "6 4000", "7 2000", "8 0"}},
        {"user waveform stepped", 6, {"2 8000", "4 0", "6 -8000", "8 0"}},
        {"user waveform linear", 7, {"1 3968", "2 8000", "3 4031", "4 0", "5 -3968", "6 -8000", "7 -4031", "8 0"}},
        {"user waveform cubic", 8, {"1 4976", "2 8000", "3 4976", "4 0", "5 -4976", "6 -8000", "7 -4976", "8 0"}},
        {"undefined waveform", 9, {}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Words track = cat({meta(0x88, {0x00, 0x7F, 0x00, 0x80}), modSet(255, 27, static_cast<int>(c.waveform << 8)),
                           modSet(255, 28, 8000), modSet(255, 29, 8), modSwitch(255, 7)});
        Session s(host, ImagePlan{{cat({tempo(256), track, wait(60), {zem::kEnd}})}});
        s.units(9);
        std::vector<std::string> got;
        for (const auto& line : host.byTick({"bend"}))
            got.push_back(line.substr(0, line.find(' ')) + line.substr(line.rfind(' ')));
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(EngineModulators, ModulationSendsNothingWhenTheValueStays)
{
    RecordingHost host;
    // Depth 0: the oscillator gives 0 and the controller is never re-sent.
    Session s(host, ImagePlan{{cat({tempo(256),
                                    {zem::makeCtrl(1, 64)},
                                    modSet(1, 21, 8),
                                    modSet(1, 22, 8),
                                    modSwitch(1, 5),
                                    note(60, 20),
                                    wait(20),
                                    {zem::kEnd}})}});
    s.units(30);
    EXPECT_EQ(host.byTick({"ctrl"}), (std::vector<std::string>{"0 ctrl 0 0 0 1 64"}));
}

} // namespace

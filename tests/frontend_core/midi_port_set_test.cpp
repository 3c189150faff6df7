// The player's MIDI port slots: opening by name, the bytes of each message,
// the note and pedal state behind silencing, system exclusive limits and
// timed delivery.
#include "fake_midi.h"
#include "midi_port_set.h"
#include "pane_text.h"

#include <gtest/gtest.h>

namespace {

using frontend_test::FakeDevice;
using frontend_test::FakeMidiDevices;
using Lines = std::vector<std::string>;

struct Fixture {
    explicit Fixture(std::vector<FakeDevice> devices)
        : fake(std::move(devices)),
          ports(fake, [this](const frontend::Message& m) { frontend_test::appendPaneLines(pane, m); })
    {}
    FakeMidiDevices fake;
    Lines pane;
    frontend::MidiPortSet ports;
};

TEST(MidiPortSet, OpensSlotsByDeviceName)
{
    const struct {
        const char* name;
        std::vector<FakeDevice> devices;
        std::vector<std::string> names;
        Lines pane;
        Lines opened;
    } cases[] = {
        {"mapper and two more",
         {{"Synth"}, {"A"}, {"B"}},
         {"Synth", "B", ""},
         {"Dev00: Synth", "Dev01: B"},
         {"-1 open", "1 open"}},
        {"first of two equal names that opens",
         {{"Synth"}, {"Twin", false}, {"Twin"}, {"Twin"}},
         {"Twin"},
         {"Dev00: Twin"},
         {"1 open"}},
        {"no such device", {{"Synth"}}, {"Gone", "Synth"}, {"Dev00: [error]Gone", "Dev01: Synth"}, {"-1 open"}},
        {"names compare in case", {{"Synth"}}, {"synth"}, {"Dev00: [error]synth"}, {}},
        {"only 16 slots", {{"Synth"}}, std::vector<std::string>(20, ""), {}, {}},
    };
    for (const auto& c : cases) {
        Fixture f(c.devices);
        f.ports.open(c.names);
        EXPECT_EQ(f.pane, c.pane) << c.name;
        EXPECT_EQ(f.fake.lines(), c.opened) << c.name;
    }
}

TEST(MidiPortSet, SendsTheBytesOfEachMessage)
{
    Fixture f({{"Synth"}});
    f.ports.open({"Synth", "", ""});
    f.ports.noteOn(0, 3, 60, 100);
    f.ports.noteOff(0, 3, 60, 64);
    f.ports.send(0, 0xA0, 1, 61, 5);
    f.ports.controlChange(0, 15, 7, 127);
    f.ports.send(0, 0xC0, 9, 33, 0);
    f.ports.send(0, 0xD0, 2, 90, 0);
    for (int bend : {-8192, 0, 8191, -1}) f.ports.pitchBend(0, 0, bend);
    // port 1 is an empty slot, port 5 beyond the port count: dropped
    f.ports.noteOn(1, 0, 60, 100);
    f.ports.noteOn(5, 0, 60, 100);
    const Lines expected = {"-1 open",  "-1 93 3C 64", "-1 83 3C 40", "-1 A1 3D 05", "-1 BF 07 7F", "-1 C9 21",
                            "-1 D2 5A", "-1 E0 00 00", "-1 E0 00 40", "-1 E0 7F 7F", "-1 E0 7F 3F"};
    EXPECT_EQ(f.fake.lines(), expected);
}

TEST(MidiPortSet, SilencingReleasesPedalsThenNotes)
{
    Fixture f({{"Synth"}});
    f.ports.open({"Synth"});
    f.ports.controlChange(0, 2, 64, 127);
    f.ports.controlChange(0, 2, 69, 10);
    f.ports.controlChange(0, 0, 66, 0); // released already: not sent again
    f.ports.noteOn(0, 2, 62, 90);
    f.ports.noteOn(0, 0, 70, 1);
    f.ports.noteOn(0, 0, 71, 1);
    f.ports.noteOff(0, 0, 71, 0);
    const size_t before = f.fake.lines().size();
    f.ports.silenceAll();
    f.ports.silenceAll(); // nothing is left to release the second time
    const Lines all = f.fake.lines();
    const Lines released(all.begin() + long(before), all.end());
    EXPECT_EQ(released, (Lines{"-1 80 46 7F", "-1 B2 45 00", "-1 B2 40 00", "-1 82 3E 7F"}));
}

TEST(MidiPortSet, ExclusiveMessagesUpTo127Bytes)
{
    Fixture f({{"Synth"}});
    f.ports.open({"Synth"});
    EXPECT_EQ(f.ports.exclusiveBuffer(0, 128), nullptr);
    EXPECT_EQ(f.ports.exclusiveBuffer(1, 4), nullptr);
    uint8_t* buffer = f.ports.exclusiveBuffer(0, 127);
    ASSERT_NE(buffer, nullptr);
    buffer[0] = 0xF0;
    for (int i = 1; i < 126; ++i) buffer[i] = 0x11;
    buffer[126] = 0xF7;
    f.ports.exclusiveSend(0, 127);
    f.ports.exclusiveSend(0, 128);
    const Lines lines = f.fake.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].size(), 3 + 127 * 3 - 1);
    EXPECT_EQ(lines[1].substr(0, 9), "-1 F0 11 ");
}

TEST(MidiPortSet, ExclusiveThatNeverFinishesTimesOut)
{
    Fixture f({{"Stuck", true, 0, false}});
    f.ports.open({"Stuck"});
    uint8_t* buffer = f.ports.exclusiveBuffer(0, 3);
    ASSERT_NE(buffer, nullptr);
    buffer[0] = 0xF0, buffer[1] = 0x01, buffer[2] = 0xF7;
    f.ports.exclusiveSend(0, 3);
    // The device may still read the buffer: the next message is refused.
    EXPECT_EQ(f.ports.exclusiveBuffer(0, 3), nullptr);
    EXPECT_EQ(f.pane, (Lines{"Dev00: Stuck", "Dev00: exclusive message timed out", "Dev00: exclusive message busy"}));
}

TEST(MidiPortSet, TimedDeliveryOnlyWhereThereIsAnAudioClock)
{
    Fixture f({{"Synth", true, 44100}, {"Wire"}});
    f.ports.open({"Synth", "Wire"});
    EXPECT_NE(f.ports.clockPort(), nullptr);
    f.ports.setEventFrame(4410);
    f.ports.noteOn(0, 0, 60, 1);
    f.ports.noteOn(1, 0, 60, 1);
    f.ports.setEventFrame(std::nullopt);
    f.ports.noteOff(0, 0, 60, 0);
    EXPECT_EQ(f.fake.lines(), (Lines{"-1 open", "0 open", "-1 @4410 90 3C 01", "0 90 3C 01", "-1 80 3C 00"}));
}

} // namespace

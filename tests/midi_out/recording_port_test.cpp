// The recording backend writes exactly the messages it is given, with their
// times, and the device list offers it when ZEM_MIDI_RECORD names a file.
#include "temp_dir.h"

#include "platform/midi_out.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <unistd.h>

namespace {

using zem_test::TempDir;

TEST(MidiOutRecording, WritesEveryMessageWithItsTime)
{
    TempDir dir;
    uint64_t now = 0;
    auto port = platform::midiOutOpenRecording(dir.file("log"), [&now] { return now; });
    ASSERT_TRUE(port);
    struct Case {
        uint64_t time;
        uint32_t packed;
        bool accepted;
    };
    // Only the bytes a status needs are written; F0 never travels short.
    const Case cases[] = {
        {0, 0x7F3C90, true},    // note on: 3 bytes
        {1000, 0x0005C3, true}, // program change: 2 bytes, the third ignored
        {1500, 0x4000E1, true}, // pitch bend centre
        {2000, 0x0040D2, true}, // channel pressure
        {2500, 0x0000F8, true}, // timing clock: 1 byte
        {2600, 0x0000F0, false},
    };
    for (const Case& c : cases) {
        now = c.time;
        EXPECT_EQ(port->shortMessage(c.packed), c.accepted) << std::hex << c.packed;
    }
    const uint8_t reset[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    platform::MidiLongMessage message;
    message.data = reset;
    message.length = sizeof reset;
    now = 3000;
    ASSERT_TRUE(port->longMessage(message));
    EXPECT_TRUE(message.done);
    platform::MidiLongMessage empty;
    EXPECT_FALSE(port->longMessage(empty));
    EXPECT_FALSE(empty.done);
    port.reset();
    EXPECT_EQ(dir.read("log"), "0 90 3C 7F\n"
                               "1000 C3 05\n"
                               "1500 E1 00 40\n"
                               "2000 D2 40\n"
                               "2500 F8\n"
                               "3000 F0 7E 7F 09 01 F7\n");
}

TEST(MidiOutRecording, UnwritablePathGivesNoPort)
{
    EXPECT_FALSE(platform::midiOutOpenRecording("/nonexistent-folder/log"));
}

TEST(MidiOutMessages, ShortMessageLengths)
{
    const std::pair<uint8_t, int> cases[] = {
        {0x80, 3}, {0x9F, 3}, {0xA0, 3}, {0xB5, 3}, {0xC0, 2}, {0xDF, 2}, {0xE0, 3},
        {0xF0, 0}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF7, 0}, {0xFE, 1},
    };
    for (const auto& [status, length] : cases)
        EXPECT_EQ(platform::midiShortMessageLength(status), length) << int(status);
}

TEST(MidiOutDevices, SynthesizerFirstAndRecorderLastWhenAsked)
{
    TempDir dir;
    ::unsetenv("ZEM_MIDI_RECORD");
    const int without = platform::midiOutDeviceCount();
    EXPECT_GE(without, 0);
    // Without a sequencer there are no ports, and no complaint either.
    if (::access("/dev/snd/seq", F_OK) != 0) EXPECT_EQ(without, 0);
    EXPECT_EQ(platform::midiOutDeviceName(platform::kMidiMapper), "Built-in Synthesizer");
    EXPECT_EQ(platform::midiOutDeviceName(without), "");
    EXPECT_EQ(platform::midiOutDeviceName(-2), "");
    EXPECT_FALSE(platform::midiOutOpen(without));
    EXPECT_FALSE(platform::midiOutOpen(-2));

    ::setenv("ZEM_MIDI_RECORD", dir.file("played").c_str(), 1);
    ASSERT_EQ(platform::midiOutDeviceCount(), without + 1);
    EXPECT_EQ(platform::midiOutDeviceName(without), "MIDI Recorder");
    for (int d = platform::kMidiMapper; d <= without; ++d)
        EXPECT_LE(platform::midiOutDeviceName(d).size(), platform::kMidiNameChars) << d;
    {
        auto port = platform::midiOutOpen(without);
        ASSERT_TRUE(port);
        EXPECT_TRUE(port->shortMessage(0x403C90));
    }
    ::unsetenv("ZEM_MIDI_RECORD");
    const std::string log = dir.read("played");
    EXPECT_NE(log.find(" 90 3C 40\n"), std::string::npos) << log;
}

} // namespace

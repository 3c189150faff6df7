// The settings file: every key written back on the first run, values out
// of range clamped, the folder chosen by ZEMFE_CONFIG_DIR.
#include "frontend/settings.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/stat.h>

namespace {

TEST(Settings, FirstRunWritesEveryKey)
{
    const zem_test::TempDir dir;
    frontend::Settings settings(dir.file("zemfe.ini"), "Speakers", "Built-in Synthesizer");
    const frontend::DeviceSettings d = settings.readDevices();
    EXPECT_EQ(settings.readSwitches(), 0);
    EXPECT_EQ(d.portCount, 16);
    EXPECT_EQ(d.waveDevice, "Speakers");
    EXPECT_EQ(d.midi[0], "Built-in Synthesizer");
    EXPECT_EQ(d.midi[15], "");
    EXPECT_EQ(d.streamBufferMs, 200);
    std::string expected = "[Dev]\nMIDIDevs=16\nWAVE00=Speakers\nMIDI00=Built-in Synthesizer\n";
    for (int i = 1; i < 16; ++i) expected += "MIDI" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=\n";
    expected += "\n[AUDSINK]\nStrBufSize=200\n\n[ZEMC]\nSwitch=0\n";
    EXPECT_EQ(dir.read("zemfe.ini"), expected);
}

TEST(Settings, ValuesOutOfRangeAreClampedAndWrittenBack)
{
    const struct {
        const char* text;
        int ports;
        int bufferMs;
        int switches;
    } cases[] = {
        {"[Dev]\nMIDIDevs=40\n[AUDSINK]\nStrBufSize=99999\n[ZEMC]\nSwitch=70000\n", 16, 1000, 0xFFFF},
        {"[Dev]\nMIDIDevs=0\n[AUDSINK]\nStrBufSize=-5\n[ZEMC]\nSwitch=-1\n", 1, 0, 0},
        {"[dev]\nmididevs=-3\n[audsink]\nstrbufsize=&64\n[zemc]\nswitch=0x8001\n", 1, 0, 0x8001},
        {"[Dev]\nMIDIDevs=3\n[AUDSINK]\nStrBufSize=350\n[ZEMC]\nSwitch=5\n", 3, 350, 5},
    };
    for (const auto& c : cases) {
        const zem_test::TempDir dir;
        dir.write("zemfe.ini", c.text);
        {
            frontend::Settings settings(dir.file("zemfe.ini"), "", "");
            const frontend::DeviceSettings d = settings.readDevices();
            EXPECT_EQ(d.portCount, c.ports) << c.text;
            EXPECT_EQ(d.streamBufferMs, c.bufferMs) << c.text;
            EXPECT_EQ(settings.readSwitches(), c.switches) << c.text;
        }
        frontend::Settings again(dir.file("zemfe.ini"), "", "");
        EXPECT_EQ(again.readDevices().portCount, c.ports) << "written back: " << c.text;
    }
}

TEST(Settings, ReloadOnChangeIsReadAsAFlagAndWrittenBack)
{
    const struct {
        const char* text; // nullptr: no file yet
        bool on;
        const char* written;
    } cases[] = {
        {nullptr, true, "[Option]\nReloadOnChange=1\n"},
        {"[Option]\nReloadOnChange=0\n", false, "[Option]\nReloadOnChange=0\n"},
        {"[option]\nreloadonchange=7\n", true, "reloadonchange=1\n"},
        {"[Option]\nReloadOnChange=-1\n", true, "ReloadOnChange=1\n"},
    };
    for (const auto& c : cases) {
        const zem_test::TempDir dir;
        if (c.text) dir.write("zemfe.ini", c.text);
        frontend::Settings settings(dir.file("zemfe.ini"), "", "");
        EXPECT_EQ(settings.readReloadOnChange(), c.on) << (c.text ? c.text : "no file");
        EXPECT_NE(dir.read("zemfe.ini").find(c.written), std::string::npos) << dir.read("zemfe.ini");
        settings.writeReloadOnChange(!c.on);
        EXPECT_EQ(frontend::Settings(dir.file("zemfe.ini"), "", "").readReloadOnChange(), !c.on);
    }
    frontend::Settings defaultsOnly("", "", "");
    EXPECT_TRUE(defaultsOnly.readReloadOnChange());
}

TEST(Settings, DeviceDialogValuesAndDecoders)
{
    const zem_test::TempDir dir;
    frontend::Settings settings(dir.file("zemfe.ini"), "", "Synth");
    frontend::DeviceSettings d = settings.readDevices();
    d.waveDevice = "USB";
    d.midi[2] = "Port 2";
    d.portCount = 3;
    d.streamBufferMs = 500;
    settings.writeDevices(d);
    settings.writeSwitches(0x0101);
    EXPECT_EQ(settings.decoderFor("WAV", "qzwav.so"), "qzwav.so");
    settings.waitWritten();
    frontend::Settings again(dir.file("zemfe.ini"), "", "Synth");
    const frontend::DeviceSettings read = again.readDevices();
    EXPECT_EQ(read.waveDevice, "USB");
    EXPECT_EQ(read.midi[2], "Port 2");
    EXPECT_EQ(read.portCount, 3);
    EXPECT_EQ(read.streamBufferMs, 500);
    EXPECT_EQ(again.readSwitches(), 0x0101);
    EXPECT_NE(dir.read("zemfe.ini").find("[Plug]\nWAV=qzwav.so\n"), std::string::npos);
}

ino_t inodeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// A decoder key is written back once; asking again, or for a key the file
// already holds, leaves the file as it is (a rewrite would give it a new
// inode).
TEST(Settings, DecoderKeysAreWrittenOnce)
{
    const zem_test::TempDir dir;
    dir.write("zemfe.ini", "[Plug]\nOGG=myogg.so\n");
    const std::string path = dir.file("zemfe.ini");
    frontend::Settings settings(path, "", "");
    const ino_t before = inodeOf(path);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(settings.decoderFor("OGG", "qzogg.so"), "myogg.so");
    settings.waitWritten();
    EXPECT_EQ(inodeOf(path), before) << "a key the file holds was written";
    EXPECT_EQ(settings.decoderFor("WAV", "qzwav.so"), "qzwav.so");
    settings.waitWritten();
    const ino_t written = inodeOf(path);
    EXPECT_NE(written, before);
    EXPECT_EQ(dir.read("zemfe.ini"), "[Plug]\nOGG=myogg.so\nWAV=qzwav.so\n");
    for (int i = 0; i < 100; ++i) EXPECT_EQ(settings.decoderFor("WAV", "other.so"), "qzwav.so");
    settings.waitWritten();
    EXPECT_EQ(inodeOf(path), written) << "a key was written twice";
}

TEST(Settings, WithoutAFileNothingIsWritten)
{
    frontend::Settings settings("", "Wave", "Synth");
    EXPECT_EQ(settings.readDevices().midi[0], "Synth");
    EXPECT_EQ(settings.decoderFor("WAV", "qzwav.so"), "qzwav.so");
}

TEST(Settings, FolderFromTheEnvironment)
{
    ::setenv("ZEMFE_CONFIG_DIR", "/etc/zem", 1);
    EXPECT_EQ(frontend::settingsFolder("/opt/zem/bin"), "/etc/zem");
    ::unsetenv("ZEMFE_CONFIG_DIR");
}

} // namespace

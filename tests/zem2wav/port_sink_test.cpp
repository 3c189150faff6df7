// What the engine plays reaches the MIDI ports exactly, in order and at its
// millisecond: a song is played through the sink into recording ports.
#include "temp_dir.h"

#include "host/song_playback.h"
#include "zem2wav/kvt_image.h"
#include "zem2wav/midi_port_sink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {

using zem_test::TempDir;

void noReport(const char* caption, const char* text) { ADD_FAILURE() << caption << ": " << text; }

class MillisecondClock final : public zem2wav::EventClock {
public:
    void unitPassed() override { ++ms; }
    util::ErrCode beforeMessage() override { return 0; }
    uint64_t ms = 0;
};

// Plays KVT text with the settings into recording ports 0 and 1; returns
// the two logs.
std::pair<std::string, std::string> record(const std::string& kvt, const host::PlaybackSettings& settings)
{
    TempDir dir;
    const auto image =
        zem2wav::compileKvt(reinterpret_cast<const uint8_t*>(kvt.data()), uint32_t(kvt.size()), "test.kvt", noReport);
    MillisecondClock clock;
    const auto now = [&clock] { return clock.ms * 1000; };
    auto port0 = platform::midiOutOpenRecording(dir.file("port0"), now);
    auto port1 = platform::midiOutOpenRecording(dir.file("port1"), now);
    zem2wav::PortTable ports{};
    ports[0] = port0.get();
    ports[1] = port1.get();
    zem2wav::MidiPortSink sink(ports, clock);
    host::SongPlayback song(image.data(), image.size(), settings, sink);
    song.play();
    port0.reset();
    port1.reset();
    return {dir.read("port0"), dir.read("port1")};
}

TEST(Zem2wavPortSink, MessagesAtTheirMilliseconds)
{
    // 120 beats per minute: a quarter note lasts 500 ms, an eighth 250 ms.
    host::PlaybackSettings settings;
    const auto [log, other] = record("T120 @5 v90 l4 o4 c d8 K-8192 e8 K8191 y10,32 ${F07E7F0901F7}\n", settings);
    // The engine's first tick comes 10 ms into the song; "@5" is program 4.
    EXPECT_EQ(log, "10000 C0 04\n"
                   "10000 B0 07 5A\n"
                   "10000 90 3C 7F\n"
                   "510000 80 3C 7F\n"
                   "510000 90 3E 7F\n"
                   "760000 80 3E 7F\n"
                   "760000 E0 00 00\n"
                   "760000 90 40 7F\n"
                   "1010000 80 40 7F\n"
                   "1010000 E0 7F 7F\n"
                   "1010000 B0 0A 20\n"
                   "1010000 F0 7E 7F 09 01 F7\n");
    EXPECT_EQ(other, "");
}

TEST(Zem2wavPortSink, DeviceMaskChoosesThePorts)
{
    struct Case {
        uint16_t mask;
        bool port0, port1;
    };
    const Case cases[] = {{0x0001, true, false}, {0x0002, false, true}, {0x0003, true, true}, {0x0000, false, false}};
    for (const Case& c : cases) {
        host::PlaybackSettings settings;
        settings.deviceMask = c.mask;
        const auto [log0, log1] = record("T120 c :0,1 d\n", settings);
        EXPECT_EQ(log0.find(" 90 3C ") != std::string::npos, c.port0) << c.mask << "\n" << log0;
        EXPECT_EQ(log1.find(" 90 3E ") != std::string::npos, c.port1) << c.mask << "\n" << log1;
    }
}

// The volumes sent on channel 0 and the time of each.
std::vector<std::pair<uint64_t, int>> volumes(const std::string& log)
{
    std::vector<std::pair<uint64_t, int>> result;
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        unsigned long long time;
        unsigned value;
        if (std::sscanf(line.c_str(), "%llu B0 07 %x", &time, &value) == 2) result.emplace_back(time, int(value));
    }
    return result;
}

TEST(Zem2wavPortSink, FadeLowersTheVolumeOnceAMillisecond)
{
    // One pass of the endless loop (500 ms), no delay, a fade of 100 ms:
    // the volume falls from 100 without repeating a value, then the note
    // is released.
    host::PlaybackSettings settings;
    settings.loopCount = 1;
    settings.delayMs = 0;
    settings.fadeMs = 100;
    const auto [log, other] = record("T120 v100 [0 c4 ]\n", settings);
    const auto v = volumes(log);
    ASSERT_GE(v.size(), 50u) << log;
    EXPECT_EQ(v.front(), (std::pair<uint64_t, int>{10000, 100}));
    for (size_t i = 2; i < v.size(); ++i) {
        EXPECT_LT(v[i].second, v[i - 1].second) << i;
        EXPECT_GT(v[i].first, v[i - 1].first) << i;
    }
    EXPECT_GE(v[1].first, 510000u);
    EXPECT_LE(v.back().first, 620000u);
    EXPECT_LE(v.back().second, 1);
    EXPECT_NE(log.rfind(" 80 3C "), std::string::npos);
    EXPECT_GT(log.rfind(" 80 3C "), log.rfind(" B0 07 "));
}

} // namespace

// The WAVE bytes, the sample clock of the offline renderer and its tail.
#include "temp_dir.h"
#include "wave_bytes.h"

#include "zem2wav/offline_renderer.h"
#include "zem2wav/progress_bar.h"
#include "zem2wav/wave_writer.h"

#include "util/fileset.h"
#include "util/uerr.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

namespace {

using zem2wav_test::readLe;
using zem_test::TempDir;

TEST(Zem2wavWave, WriterFillsInTheSizes)
{
    TempDir dir;
    util::FILESET* file = util::fs_create();
    util::fs_set_path(file, dir.file("out.wav").c_str(), nullptr);
    util::fs_create_file(file, 0x80);
    util::fs_open(file, util::FileMode::Write);
    {
        zem2wav::WaveWriter wave(file);
        const int16_t first[] = {1, -2, 0x1234, -32768};
        const int16_t second[] = {32767, 0};
        wave.append(first, 2);
        wave.append(second, 1);
        wave.finish();
        EXPECT_EQ(wave.frames(), 3u);
    }
    util::fs_close(file);
    util::fs_free(file);
    const std::string bytes = dir.read("out.wav");
    ASSERT_EQ(bytes.size(), 44u + 12u);
    EXPECT_EQ(readLe(bytes, 4, 4), 36u + 12u);
    EXPECT_EQ(readLe(bytes, 22, 2), 2u);     // stereo
    EXPECT_EQ(readLe(bytes, 24, 4), 44100u); // the synthesizer's rate
    EXPECT_EQ(readLe(bytes, 34, 2), 16u);
    EXPECT_EQ(readLe(bytes, 40, 4), 12u);
    EXPECT_EQ(bytes.substr(44), std::string("\x01\x00\xFE\xFF\x34\x12\x00\x80\xFF\x7F\x00\x00", 12));
}

TEST(Zem2wavClock, EveryMillisecondOwnsItsShareOfSamples)
{
    const std::pair<uint64_t, uint64_t> cases[] = {{0, 0},
                                                   {1, 44},
                                                   {9, 396},
                                                   {10, 441},
                                                   {1000, 44100},
                                                   {1001, 44144},
                                                   {3600000, 158760000},
                                                   // Ten hours: still exact, no drift.
                                                   {36000000, 1587600000}};
    for (const auto& [units, frames] : cases) EXPECT_EQ(zem2wav::framesAtUnit(units), frames) << units;
}

// A synthesizer that notes where in the output each message arrived, and
// sounds for a given number of frames after its last note.
class FakeSynth final : public platform::MidiSynth {
public:
    void shortMessage(int, uint32_t) override
    {
        arrivals.push_back(rendered);
        soundingUntil = rendered + ringFrames;
    }
    void exclusive(int, const uint8_t*, size_t) override { arrivals.push_back(rendered); }
    void render(int16_t* stereo, size_t frames) override
    {
        for (size_t i = 0; i < frames; ++i) {
            const int16_t v = rendered + i < soundingUntil ? 1000 : 0;
            stereo[2 * i] = stereo[2 * i + 1] = v;
        }
        rendered += frames;
    }
    bool hasActiveVoices() const override { return rendered < soundingUntil; }

    uint64_t rendered = 0;
    uint64_t soundingUntil = 0;
    uint64_t ringFrames = 0;
    std::vector<uint64_t> arrivals;
};

TEST(Zem2wavRenderer, MessagesLandOnTheirUnitsSample)
{
    FakeSynth synth;
    uint64_t written = 0;
    zem2wav::OfflineRenderer renderer(synth, [&written](const int16_t*, size_t n) { written += n; });
    auto port = platform::synthPort(synth, 0);
    const uint64_t messageUnits[] = {0, 1, 1, 7, 1000, 1001, 65432};
    std::vector<uint64_t> expected;
    for (uint64_t at : messageUnits) {
        while (renderer.units() < at) renderer.unitPassed();
        EXPECT_EQ(renderer.beforeMessage(), 0u);
        port->shortMessage(0x403C90);
        expected.push_back(zem2wav::framesAtUnit(at));
    }
    EXPECT_EQ(synth.arrivals, expected);
    for (int i = 0; i < 10; ++i) renderer.unitPassed();
    renderer.flush();
    EXPECT_EQ(written, zem2wav::framesAtUnit(65442));
    EXPECT_EQ(renderer.framesRendered(), written);
}

TEST(Zem2wavRenderer, FailedWriteStopsTheSongWithItsCode)
{
    // Inside the engine the error comes back as a status; outside it is raised.
    FakeSynth synth;
    zem2wav::OfflineRenderer renderer(synth,
                                      [](const int16_t*, size_t) { util::uerr_raise(util::kErrFileCannotWrite); });
    EXPECT_EQ(renderer.beforeMessage(), 0u); // nothing due yet, nothing written
    renderer.unitPassed();
    EXPECT_EQ(renderer.beforeMessage(), util::kErrFileCannotWrite);
    try {
        renderer.flush();
        ADD_FAILURE() << "flush() raised nothing";
    } catch (const util::UerrRaised& raised) {
        EXPECT_EQ(raised.code, util::kErrFileCannotWrite);
    }
}

TEST(Zem2wavRenderer, TailEndsWhenSilentOrAtTheCap)
{
    struct Case {
        uint64_t ring; // frames the last note keeps sounding
        uint64_t cap;  // most frames of tail
        uint64_t minTail, maxTail;
    };
    const Case cases[] = {
        {0, 220500, 441, 441}, // silent at once: one 10 ms piece
        // Rings into the 23rd piece of 441 frames; the 24th is silent.
        {10000, 220500, 10584, 10584},
        {1000000, 220500, 220500, 220500}, // never silent within the cap
        {1000000, 1000, 1000, 1000},
    };
    for (const Case& c : cases) {
        FakeSynth synth;
        synth.ringFrames = c.ring;
        uint64_t written = 0;
        zem2wav::OfflineRenderer renderer(synth, [&written](const int16_t*, size_t n) { written += n; });
        EXPECT_EQ(renderer.beforeMessage(), 0u);
        synth.shortMessage(0, 0x403C90);
        renderer.renderTail(c.cap);
        EXPECT_GE(written, c.minTail) << c.ring;
        EXPECT_LE(written, c.maxTail) << c.ring;
    }
}

// What a bar draws on standard error, captured through a file.
std::string drawn(uint64_t totalMs, const std::vector<uint64_t>& updates)
{
    TempDir dir;
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    std::FILE* capture = std::fopen(dir.file("err").c_str(), "w");
    ::dup2(::fileno(capture), STDERR_FILENO);
    {
        zem2wav::ProgressBar bar(totalMs);
        for (uint64_t ms : updates) bar.update(ms);
    }
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::fclose(capture);
    return dir.read("err");
}

TEST(Zem2wavProgress, DrawsOnlyWhenThePercentMoves)
{
    const std::string half = "\r[" + std::string(20, '#') + std::string(20, '.') + "]  50% 0:30 / 1:00";
    const std::string full = "\r[" + std::string(40, '#') + "] 100% 1:00 / 1:00";
    struct Case {
        uint64_t total;
        std::vector<uint64_t> updates;
        std::string expected;
    };
    const Case cases[] = {
        {60000, {30000, 30100, 30500}, half + "\n"}, // the same percent is drawn once
        {60000, {30000, 90000}, half + full + "\n"}, // past the end shows the end
        {0, {1000, 2000}, ""},                       // nothing known: nothing drawn
        {60000, {}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(drawn(c.total, c.updates), c.expected) << c.total;
}

} // namespace

// zem2wav sounds the voice layer and the stream slots: a stream's samples
// start at the unit the score plays it, a voice at the unit it starts, both
// mixed into the synthesizer's frames; names resolve beside the score, and
// a sync on a stream waits at most a limit of song time.
#include "run_program.h"
#include "temp_dir.h"
#include "wave_builder.h"
#include "zem2wav/audsink_sound.h"
#include "zem2wav/sync_wait_limit.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using zem_test::runProgram;
using zem_test::TempDir;

// The first frame at which `signal` starts in `out`, within the
// synthesizer's dither; -1 when it does not.
long findSignal(const std::vector<int16_t>& out, const Bytes& signal)
{
    const auto wanted = samplesOf(std::string(signal.begin(), signal.end()), 0);
    constexpr size_t kCompared = 128;
    for (size_t frame = 0; 2 * frame + kCompared <= out.size(); ++frame) {
        size_t i = 0;
        while (i < kCompared && std::abs(out[2 * frame + i] - wanted[i]) <= 4) ++i;
        if (i == kCompared) return long(frame);
    }
    return -1;
}

TEST(Zem2wavSampledSound, StreamAndVoiceStartAtTheirUnits)
{
    TempDir dir;
    const Bytes stream = stereoNoise16(11025, 1), voice = stereoNoise16(4410, 2);
    const Bytes streamFile = simpleWave(1, 2, 44100, 16, stream), voiceFile = simpleWave(1, 2, 44100, 16, voice);
    dir.write("stream.wav", std::string(streamFile.begin(), streamFile.end()));
    dir.write("Voice.WAV", std::string(voiceFile.begin(), voiceFile.end()));
    // 120 beats per minute: a quarter is 500 ms.  The stream opens at once
    // and plays at 500 ms; the voice starts directly at 1000 ms.
    dir.write("song.kvt", "#0 T120 l4 =101,4 =102,0 ?128\"Voice.WAV\" =130,0 ?132\"stream.wav\"\n"
                          "r ?134 r ?130 r2\n");
    const auto run = runProgram("zem2wav", {"song.kvt"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto out = samplesOf(dir.read("song.WAV"), 44);
    // The engine places the second and third quarters a little after 500
    // and 1000 ms.  The voice starts exactly on the frame of its unit; the
    // stream's play is carried out on the stream's next tick, within 1 ms
    // of its unit, 500 ms (one quarter, 500 or 501 units) before the voice.
    const long voiceAt = findSignal(out, voice);
    const long unit = voiceAt * 1000 / 44100;
    EXPECT_EQ(voiceAt, unit * 44100 / 1000) << "on a unit's first frame";
    EXPECT_GE(unit, 1000);
    EXPECT_LE(unit, 1020);
    const long streamAt = findSignal(out, stream);
    EXPECT_GE(streamAt, (unit - 501) * 44100 / 1000);
    EXPECT_LE(streamAt, (unit - 500) * 44100 / 1000 + 45);
}

TEST(Zem2wavSampledSound, MissingFilesAndDecodersLeaveSilence)
{
    TempDir dir;
    dir.write("song.kvt", "#0 T120 l4 =101,4 =102,0 ?128\"none.wav\" ?130 =130,3 ?132\"none.ogg\" ?137{00} ?134 r2\n"
                          "=130,16 ?132\"x.wav\" ?134 r\n");
    const auto run = runProgram("zem2wav", {"song.kvt"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    int peak = 0;
    for (int16_t s : samplesOf(dir.read("song.WAV"), 44)) peak = std::max(peak, std::abs(int{s}));
    EXPECT_LE(peak, 4);
}

// A stream opened and never played does not stop: the sync on it holds the
// track for the limit of song time, and the song then ends.
TEST(Zem2wavSampledSound, ASyncThatIsNeverMetEndsAtTheLimit)
{
    TempDir dir;
    const Bytes file = simpleWave(1, 2, 44100, 16, stereoNoise16(4410, 3));
    dir.write("stream.wav", std::string(file.begin(), file.end()));
    dir.write("song.kvt", "#0 T120 l4 =130,0 ?132\"stream.wav\" ?137{00} ?137{01} r\n");
    const auto run = runProgram("zem2wav", {"song.kvt"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const double seconds = double(samplesOf(dir.read("song.WAV"), 44).size()) / 2 / 44100;
    EXPECT_GE(seconds, double(zem2wav::kMaxSyncWaitMs) / 1000);
    EXPECT_LT(seconds, double(zem2wav::kMaxSyncWaitMs) / 1000 + 2);
}

// A mono 16-bit sample holding one level throughout.
std::string levelSample(int16_t level, size_t frames)
{
    Bytes data;
    for (size_t i = 0; i < frames; ++i) {
        data.push_back(static_cast<uint8_t>(level & 0xFF));
        data.push_back(static_cast<uint8_t>(uint16_t(level) >> 8));
    }
    const Bytes file = simpleWave(1, 1, 44100, 16, data);
    return std::string(file.begin(), file.end());
}

// The largest magnitude of the right channel in frames [from, to).
int peakOf(const std::vector<int16_t>& out, size_t from, size_t to)
{
    int peak = 0;
    for (size_t f = from; f < to && 2 * f + 1 < out.size(); ++f) peak = std::max(peak, std::abs(int{out[2 * f + 1]}));
    return peak;
}

// Sampled sound follows the fade-out as the synthesizer does, and what still
// sounds when the song ends fades out within a few milliseconds instead of
// ending the file at full level.
TEST(Zem2wavSampledSound, VoicesFadeWithTheSongAndAtItsEnd)
{
    struct FadeCase {
        const char* name;
        std::vector<std::string> args;
        const char* song;
        double steadyAt;                               // seconds: the voice at its full level, in the right channel
        std::vector<std::pair<double, double>> levels; // seconds, expected share of the full level
    };
    const FadeCase cases[] = {
        {"fade-out",
         {"-L1", "-D0", "-F1000", "song.kvt"},
         "#0 T120 l4 :0,1 =101,4 =102,60 ?128\"dc.wav\" =100,1 @1 V127 X127 P127\n#1 :1 @1 V127 P0 l4 o4\n"
         "#0,1 [0 c1 ]\n",
         0.5,
         {{2.5, 0.5}, {2.9, 0.1}}},
        {"a loop the song never stops", {"song.kvt"}, "#0 T120 l4 =101,4 =102,0 ?128\"dc.wav\" ?130{01} r\n", 0.3, {}},
    };
    for (const FadeCase& c : cases) {
        TempDir dir;
        dir.write("dc.wav", levelSample(16000, 3 * 44100));
        dir.write("song.kvt", c.song);
        const auto run = runProgram("zem2wav", c.args, dir.path());
        ASSERT_EQ(run.status, 0) << c.name << run.err;
        const auto out = samplesOf(dir.read("song.WAV"), 44);
        const size_t frames = out.size() / 2;
        const int full = peakOf(out, size_t(c.steadyAt * 44100), size_t(c.steadyAt * 44100) + 441);
        ASSERT_GT(full, 1000) << c.name;
        for (const auto& [at, share] : c.levels) {
            const int level = peakOf(out, size_t(at * 44100), size_t(at * 44100) + 441);
            EXPECT_NEAR(double(level) / full, share, 0.05) << c.name << " at " << at << " s";
        }
        // The file ends in silence, reached by steps no larger than a
        // hundredth of the full level: no cut.
        EXPECT_LE(peakOf(out, frames - 100, frames), 4) << c.name;
        int largestStep = 0;
        for (size_t f = 1; f < frames; ++f)
            if (f > size_t(c.steadyAt * 44100))
                largestStep = std::max(largestStep, std::abs(out[2 * f + 1] - out[2 * f - 1]));
        EXPECT_LE(largestStep, full / 100) << c.name;
    }
}

TEST(Zem2wavSampledSound, PieceFolderOfTheScore)
{
    EXPECT_EQ(zem2wav::folderOf("/music/song.kvt"), "/music");
    EXPECT_EQ(zem2wav::folderOf("song.kvt"), "");
    EXPECT_EQ(zem2wav::folderOf("/song.kvt"), "/");
}

// A sync may hold a slot for less than the limit of song time from the
// first unmet answer; a reached state starts the count afresh.
TEST(Zem2wavSampledSound, SyncWaitsEndAtTheLimitOfSongTime)
{
    uint64_t now = 0;
    zem2wav::SyncWaitLimit limit([&now] { return now; }, 100);
    const struct {
        uint64_t at;
        int slot;
        bool reached; // the state is reached instead of asked to wait on
        bool mayWait;
    } steps[] = {
        {5, 0, false, true},    // slot 0 starts waiting at 5
        {50, 1, false, true},   // slot 1 at 50
        {104, 0, false, true},  // 99 units on
        {105, 0, false, false}, // 100: given up
        {149, 1, false, true},  // each slot counts on its own
        {150, 1, false, false}, // given up
        {400, 0, false, false}, // stays given up until reached
        {400, 0, true, false},  // reached
        {401, 0, false, true},  // a new wait
        {500, 0, false, true},  // 99 units on
        {501, 0, false, false}, // given up
    };
    for (const auto& step : steps) {
        now = step.at;
        if (step.reached)
            limit.reached(step.slot);
        else
            EXPECT_EQ(limit.mayWait(step.slot), step.mayWait) << step.at << " slot " << step.slot;
    }
}

} // namespace

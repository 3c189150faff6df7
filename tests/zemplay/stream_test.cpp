// zemplay plays the streams a score opens through the stream output
// library: a WAVE file beside the score reaches the sound device sample for
// sample, and a stream that cannot open leaves a message line and silence
// while the song still runs to its end.
//
// The MIDI recorder takes the notes so that the stream device is the only
// writer of SDL's disk file; the disk driver keeps its real-time pace so
// that the stream threads fill their rings as on a sound card.
#include <deadline.h>
#include <run_program.h>
#include <temp_dir.h>
#include <wave_builder.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

using Samples = std::vector<int16_t>;

// How many samples of `wanted` follow one another in `out` from the first
// place where its first 64 samples appear (0 when they never do).
size_t longestMatch(const Samples& out, const Samples& wanted)
{
    constexpr size_t kKey = 64;
    const auto near = [](int16_t a, int16_t b) { return std::abs(a - b) <= 2; };
    for (size_t at = 0; at + kKey <= out.size(); at += 2) {
        size_t n = 0;
        while (n < wanted.size() && at + n < out.size() && near(out[at + n], wanted[n])) ++n;
        if (n >= kKey) return n;
    }
    return 0;
}

int peak(const Samples& s)
{
    int p = 0;
    for (int16_t v : s) p = std::max(p, std::abs(int{v}));
    return p;
}

struct StreamCase {
    const char* name;
    const char* score; // opens slot 0, waits for the open, plays at 500 ms
    bool heard;        // the whole of stream.wav appears in the capture
    const char* line;  // a line standard error must hold, or ""
};

TEST(ZemplayStream, StreamsPlayOrReportWithoutHanging)
{
    const Bytes pcm = stereoNoise16(22050, 7);
    const Bytes file = simpleWave(1, 2, 44100, 16, pcm);
    const Samples wanted = samplesOf(std::string(pcm.begin(), pcm.end()));
    const StreamCase cases[] = {
        {"stream beside the score", "#0 T120 l4 =130,0 ?132\"stream.wav\" ?137{00} r ?134 r1\n", true, ""},
        {"missing file", "#0 T120 l4 =130,0 ?132\"none.wav\" ?137{00} r ?134 r2\n", false, "stropen: cannot open(0)\n"},
        {"no decoder for the extension", "#0 T120 l4 =130,3 ?132\"stream.xyz\" ?137{00} r ?134 r2\n", false,
         "stropen: cannot open(3)\n"},
    };
    for (const StreamCase& c : cases) {
        const zem_test::TempDir dir;
        dir.write("stream.wav", std::string(file.begin(), file.end()));
        dir.write("stream.xyz", std::string(file.begin(), file.end()));
        dir.write("song.kvt", c.score);
        const auto begun = std::chrono::steady_clock::now();
        const auto run = zem_test::runProgram("zemplay", {"-p", "MIDI Recorder", "song.kvt"}, dir.path(),
                                              {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.file("sound.raw"),
                                               "ZEM_MIDI_RECORD=" + dir.file("rec")},
                                              0, zem_test::killAfter(std::chrono::seconds(30)));
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        EXPECT_EQ(run.status, 0) << c.name << "\n" << run.err;
        // The songs last 2.5 s; a sync that never answers would hold them.
        EXPECT_LT(seconds, 15.0) << c.name;
        if (*c.line) {
            EXPECT_NE(run.err.find(c.line), std::string::npos) << c.name << "\n" << run.err;
        }
        const Samples captured = samplesOf(dir.read("sound.raw"));
        ASSERT_GT(captured.size(), 2u * 44100) << c.name << ": the device ran for the song";
        if (c.heard) {
            EXPECT_EQ(longestMatch(captured, wanted), wanted.size()) << c.name;
        } else {
            EXPECT_EQ(peak(captured), 0) << c.name;
        }
    }
}

} // namespace

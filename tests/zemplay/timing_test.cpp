// The real-time path through the built-in synthesizer, captured by SDL's
// disk driver: every note of a score with tempo changes starts at its time
// in the score plus one constant offset.
#include "note_timing.h"

#include <deadline.h>
#include <run_program.h>
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// Looser than the benchmark's bound (3 ms spread): test machines are shared
// and busy.  The player opens its one audio output at start-up, before it
// loads the synthesizer's SoundFont, and SDL's capture begins there: the
// notes' common offset from their score times holds that start-up as well
// as the latency, so only a generous bound applies to it here.  Where the
// output sounds a note against the frame it was planned for is tested with
// the output (midi_out_shared_output_test).
constexpr double kMaxSpreadMs = 6.0;
constexpr double kMaxOffsetMs = 1000.0;

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ZemplayTiming, NotesStartAtTheirScoreTimePlusOneLatency)
{
    const zem_test::TempDir dir;
    dir.write("timing.kvt", zem_test::readFile(std::string(ZEM_SOURCE_DIR) + "/tests/zemplay/timing.kvt"));
    ASSERT_EQ(zem_test::runProgram("zemc", {"timing.kvt"}, dir.path()).status, 0);
    const std::vector<double> notes = zem_test::scoreNoteTimes(readBytes(dir.file("timing.ZEM")));
    ASSERT_EQ(notes.size(), 17u);

    const auto run = zem_test::runProgram("zemplay", {"-L1", "timing.ZEM"}, dir.path(),
                                          {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.file("sound.raw")}, 0,
                                          zem_test::killAfter(std::chrono::seconds(60)));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto result = zem_test::compareTimes(notes, zem_test::soundOnsets(dir.file("sound.raw")));
    std::printf("latency %.2f ms, spread %.2f ms over %zu notes\n", result.latencyMs, result.spreadMs, result.notes);
    EXPECT_EQ(result.onsets, result.notes);
    EXPECT_LE(result.spreadMs, kMaxSpreadMs);
    EXPECT_GT(result.latencyMs, 0.0);
    EXPECT_LE(result.latencyMs, kMaxOffsetMs);
}

} // namespace

// zemplay --follow against the MIDI file exported from the same score:
// one line per note, in the order the notes come, each naming the command
// that made it and printed at its time.
#include "follow_timing.h"

#include <deadline.h>
#include <run_program.h>
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

using namespace std::chrono_literals;

// Two tracks on their own channels, a tempo change, a loop and a chord.
constexpr const char* kScore = "#0 :0 T150 o4 l8 c d e [2 f g ] 'ceg'4 T100 a b > c4\n"
                               "#1 :1 o3 l4 r8 c e+\n"
                               "   g c\n";
// One frame at 60 Hz.
constexpr double kWithinMs = 17.0;

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string noteName(int key)
{
    static const char* const kLetters[] = {"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};
    return kLetters[key % 12] + std::to_string(key / 12 - 1);
}

// The character at line:column (both from 1) of text.
char at(const std::string& text, int line, int column)
{
    size_t offset = 0;
    for (int l = 1; l < line; ++l) offset = text.find('\n', offset) + 1;
    return text[offset + size_t(column) - 1];
}

TEST(ZemplayFollow, EveryNoteLineInOrderAtItsTime)
{
    const zem_test::TempDir dir;
    dir.write("score.kvt", kScore);
    ASSERT_EQ(zem_test::runProgram("zemc", {"score.kvt"}, dir.path()).status, 0);
    ASSERT_EQ(zem_test::runProgram("zem2mid", {"-L1", "score.ZEM"}, dir.path()).status, 0);
    const std::vector<zem_test::MidiNoteOn> notes = zem_test::midiNoteOns(readBytes(dir.file("score.MID")));
    ASSERT_EQ(notes.size(), 17u);

    const std::string recording = dir.file("recording.txt");
    const zem_test::TimedRun run = zem_test::runTimed(std::string(ZEM_BIN_DIR) + "/zemplay",
                                                      {"-p", "MIDI Recorder", "-L1", "--follow", "score.kvt"},
                                                      dir.path(), {"ZEM_MIDI_RECORD=" + recording}, recording, 60s);
    ASSERT_EQ(run.status, 0);
    ASSERT_EQ(run.out.size(), notes.size());
    const std::vector<double> heard = zem_test::recordedNoteOns(recording, run.growth);
    ASSERT_EQ(heard.size(), notes.size());

    // Notes of one moment may come in any order of tracks.
    std::vector<std::string> lineNotes, fileNotes;
    for (size_t i = 0; i < notes.size(); ++i) {
        int line = 0, column = 0, track = -1;
        char name[8] = {};
        ASSERT_EQ(std::sscanf(run.out[i].text.c_str(), "%d:%d #%d %7s", &line, &column, &track, name), 4)
            << run.out[i].text;
        lineNotes.push_back(std::to_string(track) + " " + name);
        fileNotes.push_back(std::to_string(notes[i].channel) + " " + noteName(notes[i].key));
        const bool momentEnds = i + 1 == notes.size() || notes[i + 1].ms != notes[i].ms;
        if (!momentEnds) continue;
        const size_t first =
            size_t(std::find_if(notes.begin(), notes.end(), [&](const auto& n) { return n.ms == notes[i].ms; }) -
                   notes.begin());
        std::sort(lineNotes.begin() + long(first), lineNotes.end());
        std::sort(fileNotes.begin() + long(first), fileNotes.end());
    }
    EXPECT_EQ(lineNotes, fileNotes);

    double worstLag = 0, sumLag = 0;
    for (size_t i = 0; i < notes.size(); ++i) {
        SCOPED_TRACE(run.out[i].text);
        int line = 0, column = 0;
        ASSERT_EQ(std::sscanf(run.out[i].text.c_str(), "%d:%d", &line, &column), 2);
        // The place is the note, chord or its first letter, not a blank.
        EXPECT_NE(std::string("abcdefg'").find(at(kScore, line, column)), std::string::npos);
        // Against the file: the same distance from the first note.
        const double drift = (run.out[i].ms - run.out[0].ms) - (notes[i].ms - notes[0].ms);
        EXPECT_LE(std::fabs(drift), kWithinMs) << "note " << i;
        const double lag = run.out[i].ms - heard[i];
        worstLag = std::max(worstLag, std::fabs(lag));
        sumLag += lag;
    }
    std::printf("follow lag behind the recording: mean %.2f ms, worst %.2f ms over %zu notes\n",
                sumLag / double(notes.size()), worstLag, notes.size());
    EXPECT_LE(worstLag, kWithinMs);
}

} // namespace

// Images compiled from the example texts are accepted by the engine and
// play to their end without an engine error.
#include "compile_helper.h"
#include "kvt_text_generator.h"

#include "zemplay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kvt_test {
namespace {

struct PlayLog {
    std::vector<int> errors;
    int notesOn = 0;
};

int recordError(void* user, uint32_t, int code)
{
    static_cast<PlayLog*>(user)->errors.push_back(code);
    return code;
}

int countNoteOn(void* user, int, int, int, int, int)
{
    ++static_cast<PlayLog*>(user)->notesOn;
    return 0;
}

// Endless loops are left after their first pass so that every piece ends.
int leaveEndlessLoop(void*, int, uint32_t) { return 1; }

// Plays the image for at most ten minutes of song time.
PlayLog play(const std::vector<uint8_t>& image, bool& finished, int& constError)
{
    PlayLog log;
    dp_options options{};
    options.error = recordError;
    options.note_on = countNoteOn;
    options.endless_loop_pass = leaveEndlessLoop;
    dp_player* player = dp_const(16, image.data(), image.size(), &options, sizeof options, &log, &constError);
    finished = false;
    if (player == nullptr) return log;
    for (int second = 0; second < 600 && !finished && log.errors.empty(); ++second) {
        player->advance_units(player, 1000, DP_NORMAL_SPEED);
        finished = player->finished(player) != 0;
    }
    player->close(player);
    return log;
}

void expectPlays(const std::string& text, const std::string& label)
{
    Compiled c = compileText(text);
    ASSERT_EQ(c.result, 0) << label << ": " << c.message;
    bool finished = false;
    int constError = -1;
    PlayLog log = play(c.image, finished, constError);
    EXPECT_EQ(constError, 0) << label;
    EXPECT_TRUE(log.errors.empty()) << label << ": engine error " << (log.errors.empty() ? 0 : log.errors[0]);
    EXPECT_TRUE(finished) << label;
}

TEST(EngineCrossCheck, ExampleTextsPlayToTheirEnd)
{
    std::filesystem::path corpus = std::filesystem::path(ZEM_SOURCE_DIR) / "fuzz/corpus/zemc_fuzz";
    int played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("error", 0) == 0) continue; // texts that must not compile
        std::ifstream in(entry.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        expectPlays(text, name);
        ++played;
    }
    EXPECT_GE(played, 15);
}

TEST(EngineCrossCheck, BundledExamplesPlayToTheirEnd)
{
    std::filesystem::path examples = std::filesystem::path(ZEM_SOURCE_DIR) / "examples";
    if (!std::filesystem::is_directory(examples)) GTEST_SKIP() << "no examples folder";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(examples)) {
        if (entry.path().extension() != ".kvt") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        expectPlays(text, entry.path().filename().string());
    }
}

TEST(EngineCrossCheck, GeneratedTextsPlayToTheirEnd)
{
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        GeneratorOptions o;
        o.seed = seed;
        o.targetBytes = 3000;
        o.trackNumbers = 16;
        o.roundRobin = true;
        expectPlays(generateKvtText(o), "seed " + std::to_string(seed));
    }
}

TEST(EngineCrossCheck, NotesReachTheHost)
{
    Compiled c = compileText("c d e 'ceg'4 (c g)4 c4&d4&e4");
    ASSERT_EQ(c.result, 0);
    bool finished = false;
    int constError = -1;
    PlayLog log = play(c.image, finished, constError);
    EXPECT_TRUE(finished);
    EXPECT_EQ(log.notesOn, 3 + 3 + 1 + 1);
}

} // namespace
} // namespace kvt_test

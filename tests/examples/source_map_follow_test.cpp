// A score played through the engine: at every note-on, the track's place
// (dp_track_positions) looked up in the source map names the command that
// started the note.
#include "compile_helper.h"
#include "recording_host.h"

#include "kvt/source_map.h"
#include "zemplay.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// What the note-on probe needs; the engine's callbacks carry only the host.
struct Follow {
    const std::string* text = nullptr;
    const kvt::SourceMap* map = nullptr;
    dp_player* player = nullptr;
    int (*recordNoteOn)(void*, int, int, int, int, int) = nullptr;
    // Per track: "key text" of every note-on, in order.
    std::map<int, std::vector<std::string>> seen;
};
Follow* g_follow = nullptr;

std::string commandText(const Follow& f, int track)
{
    std::vector<uint32_t> words(f.map->tracks.size());
    if (dp_track_positions(f.player, words.data(), static_cast<int>(words.size())) <= track) return "<no track>";
    const kvt::SourceRange* range = f.map->find(static_cast<size_t>(track), words[track] & DP_TRACK_WORD_MASK);
    if (range == nullptr) return "<no command>";
    size_t at = 0;
    for (uint32_t line = 1; line < range->line; ++line) at = f.text->find('\n', at) + 1;
    return f.text->substr(at + range->column - 1, range->length);
}

int probeNoteOn(void* user, int port, int track, int channel, int key, int velocity)
{
    g_follow->seen[track].push_back(std::to_string(key) + " " + commandText(*g_follow, track));
    return g_follow->recordNoteOn(user, port, track, channel, key, velocity);
}

TEST(SourceMapFollow, EveryNoteOnFindsTheCommandThatStartedIt)
{
    const std::string text = "#0 T240 [2 c d8]\n"
                             "'eg'4 `+1 a r\n"
                             "#1 r8 (c g)4\n"
                             "   e4&f4 [3 'c\n"
                             "   e'16]\n";
    std::vector<uint8_t> image;
    const kvt::SourceMap map = kvt_test::compiledMap(text, 0, &image);
    ASSERT_FALSE(HasFailure());

    zemtest::RecordingHost host;
    dp_options options = host.options();
    Follow follow{&text, &map, nullptr, options.note_on, {}};
    g_follow = &follow;
    options.note_on = probeNoteOn;
    int error = -1;
    follow.player = dp_const(16, image.data(), image.size(), &options, sizeof options, &host, &error);
    ASSERT_NE(follow.player, nullptr) << error;
    for (int ms = 0; ms < 10000 && !follow.player->finished(follow.player); ++ms)
        follow.player->advance_units(follow.player, 1, DP_NORMAL_SPEED);
    follow.player->close(follow.player);
    g_follow = nullptr;

    const std::map<int, std::vector<std::string>> expected{
        {0, {"60 c", "62 d8", "60 c", "62 d8", "64 'eg'4", "67 'eg'4", "69 a"}},
        {1,
         {"60 (c g)4", "64 e4&", "60 'c\n   e'16", "64 'c\n   e'16", "60 'c\n   e'16", "64 'c\n   e'16",
          "60 'c\n   e'16", "64 'c\n   e'16"}},
    };
    EXPECT_EQ(follow.seen, expected);
    EXPECT_EQ(host.only({"on"}).size(), 15u) << "every note-on also reached the recording host";
}

} // namespace

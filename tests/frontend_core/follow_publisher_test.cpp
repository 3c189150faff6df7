// The follow publisher hands out a track's place and a note only once the
// time stamped on them has come: a view drawing at any moment shows what is
// heard then, not what the engine has already played ahead.
#include "follow_publisher.h"

#include "frontend/compile_image.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using frontend::FollowClock;

struct Played {
    std::vector<uint8_t> image;
    kvt::SourceMap map;
    dp_player* player = nullptr;

    explicit Played(const std::string& text)
    {
        auto compiled = frontend::compileImage(
            {text.begin(), text.end()}, "song.kvt", 0, [](const frontend::CompileMessage&) {}, &map);
        image = std::move(*compiled);
        const dp_options none{};
        player = dp_const(1, image.data(), image.size(), &none, sizeof none, nullptr, nullptr);
    }
    ~Played() { player->close(player); }
};

// Quarter notes at 120 beats per minute, the first in unit 10.
constexpr const char* kScore = "#0 T120 l4 c d e\n";

TEST(FollowPublisher, PlacesAndNotesAreHandedOutWhenTheirTimeHasCome)
{
    Played song(kScore);
    frontend::FollowPublisher follow;
    follow.start(song.map, "song.kvt");
    const auto t0 = FollowClock::now() + 1h; // far from the real clock
    // The pass plays 520 units, each heard 25 ms after it was played.
    for (int unit = 0; unit < 520; ++unit) {
        song.player->advance_units(song.player, 1, DP_NORMAL_SPEED);
        const auto heard = t0 + std::chrono::milliseconds(unit + 25);
        if (unit == 10 || unit == 510) follow.noteStarted(song.player, 0, unit == 10 ? 60 : 62, heard);
        follow.unitPlayed(song.player, heard);
    }
    follow.publish();

    const struct {
        int atMs;                 // the reader's time after t0
        kvt::SourceRange command; // shown for track 0; line 0: none yet
        std::vector<int> keys;    // the notes taken then
    } reads[] = {
        {0, {}, {}},             // nothing heard yet
        {30, {1, 4, 4}, {}},     // the track's first command, «T120», until it runs
        {35, {1, 12, 1}, {60}},  // unit 10 is heard at 35: «c»
        {400, {1, 12, 1}, {}},   // still «c»; its note was taken
        {534, {1, 12, 1}, {}},   // unit 510 is heard at 535
        {535, {1, 14, 1}, {62}}, // «d»
        {9000, {1, 14, 1}, {}},  // nothing newer was played
    };
    for (const auto& r : reads) {
        SCOPED_TRACE(r.atMs);
        const auto now = t0 + std::chrono::milliseconds(r.atMs);
        const frontend::FollowFrame frame = follow.frame(now);
        EXPECT_TRUE(frame.playing);
        EXPECT_EQ(frame.file, "song.kvt");
        if (r.command.line == 0) {
            EXPECT_TRUE(frame.tracks.empty());
        } else {
            ASSERT_EQ(frame.tracks.size(), 1u);
            EXPECT_EQ(frame.tracks[0].command, r.command);
        }
        std::vector<int> keys;
        for (const frontend::HeardNote& note : follow.takeNotes(now)) keys.push_back(note.key);
        EXPECT_EQ(keys, r.keys);
    }
}

TEST(FollowPublisher, APauseDropsWhatWaitsAndAStopClearsThePlaces)
{
    Played song(kScore);
    frontend::FollowPublisher follow;
    follow.start(song.map, "song.kvt");
    const auto t0 = FollowClock::now() + 1h;
    for (int unit = 0; unit < 20; ++unit) {
        song.player->advance_units(song.player, 1, DP_NORMAL_SPEED);
        follow.unitPlayed(song.player, t0 + std::chrono::milliseconds(unit));
    }
    follow.publish();
    follow.setPlaying(false);
    const frontend::FollowFrame paused = follow.frame(t0 + 1s);
    EXPECT_FALSE(paused.playing);
    EXPECT_TRUE(paused.tracks.empty()) << "places not yet heard at the pause are dropped";

    follow.setPlaying(true);
    song.player->advance_units(song.player, 1, DP_NORMAL_SPEED);
    follow.unitPlayed(song.player, t0);
    follow.publish();
    const uint64_t image = follow.frame(t0 + 1s).image;
    EXPECT_EQ(follow.frame(t0 + 1s).tracks.size(), 1u) << "the place after the pause is handed out again";
    follow.stop();
    EXPECT_FALSE(follow.frame(t0 + 1s).playing);
    EXPECT_TRUE(follow.frame(t0 + 1s).tracks.empty());
    follow.start(song.map, "song.kvt");
    EXPECT_GT(follow.frame(t0 + 1s).image, image) << "every start is a new image for the view";
}

} // namespace

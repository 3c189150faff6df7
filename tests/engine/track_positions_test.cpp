// Track positions a host reads while playing: the command each track ran
// last, counted in words from its own first word, and whether it stopped or
// ended.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

uint16_t loopBegin(unsigned passes) { return zem::makeByteClass(zem::kLoopBegin, passes); }

std::vector<uint32_t> positions(dp_player* player, int count)
{
    std::vector<uint32_t> words(static_cast<size_t>(count), 0xDEADBEEF);
    dp_track_positions(player, words.data(), count);
    return words;
}

// The places of one track after each tick, consecutive repeats dropped.
std::vector<uint32_t> placesByTick(Session& session, unsigned track, unsigned ticks)
{
    std::vector<uint32_t> seen{positions(session.player(), static_cast<int>(track) + 1)[track]};
    for (unsigned i = 0; i < ticks; ++i) {
        session.ticks(1);
        uint32_t now = positions(session.player(), static_cast<int>(track) + 1)[track];
        if (now != seen.back()) seen.push_back(now);
    }
    return seen;
}

TEST(EngineTrackPositions, FollowTheCommandThatMadeTheTrackWait)
{
    // Words: 0 loop(2), 1-2 note 60, 3 controller, 4-5 note 62, 6 loop end,
    // 7-9 note 64 with a two-word length, 10 end.
    const Words track0 = cat({{loopBegin(2)},
                              note(60, 4),
                              {zem::makeCtrl(7, 100)},
                              note(62, 4),
                              {zem::kLoopEnd},
                              note(64, 0x2000),
                              {zem::kEnd}});
    ASSERT_EQ(track0.size(), 11u);
    RecordingHost host;
    Session session(host, ImagePlan{{track0}});
    ASSERT_NE(session.player(), nullptr);
    const std::vector<uint32_t> expected{0, 1, 4, 1, 4, 7, 10 | DP_TRACK_ENDED};
    EXPECT_EQ(placesByTick(session, 0, 16 + 0x2000 + 2), expected);
}

TEST(EngineTrackPositions, EachTrackCountsFromItsOwnStartAndReportsStopAndEnd)
{
    RecordingHost host;
    Session session(host, ImagePlan{{cat({note(60, 8), {zem::kEnd}}), cat({wait(2), {zem::kStop}, note(61, 8)}),
                                     cat({wait(1), note(62, 100), {zem::kEnd}})}});
    ASSERT_NE(session.player(), nullptr);
    session.ticks(4);
    EXPECT_EQ(positions(session.player(), 3), (std::vector<uint32_t>{0, 1 | DP_TRACK_STOPPED, 1}));
    session.ticks(8);
    EXPECT_EQ(positions(session.player(), 3), (std::vector<uint32_t>{2 | DP_TRACK_ENDED, 1 | DP_TRACK_STOPPED, 1}));
}

TEST(EngineTrackPositions, FillsOnlyWhatTheCallerHasRoomFor)
{
    RecordingHost host;
    Session session(host, ImagePlan{{note(60, 8), note(61, 8), note(62, 8)}});
    ASSERT_NE(session.player(), nullptr);
    struct Row {
        int count;
        int answer;
        size_t filled;
    };
    for (const Row row : {Row{0, 3, 0}, Row{2, 3, 2}, Row{3, 3, 3}, Row{8, 3, 3}}) {
        std::vector<uint32_t> words(8, 0xDEADBEEF);
        EXPECT_EQ(dp_track_positions(session.player(), words.data(), row.count), row.answer) << row.count;
        for (size_t i = 0; i < words.size(); ++i)
            EXPECT_EQ(words[i] == 0xDEADBEEF, i >= row.filled) << "count " << row.count << " slot " << i;
    }
    EXPECT_EQ(dp_track_positions(nullptr, nullptr, 0), -1);
    EXPECT_EQ(dp_track_positions(session.player(), nullptr, 1), -1);
    EXPECT_EQ(dp_track_positions(session.player(), nullptr, 0), 3);
}

} // namespace

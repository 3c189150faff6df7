// What zemplay prints of the notes it hears and where it starts: note names
// as KVT writes them, --follow lines, the status line's place of the last
// note on the lowest track still playing, and the parsed start places.
#include "zemplay/command_line.h"
#include "zemplay/follow_text.h"
#include "zemplay/status_line.h"

#include <gtest/gtest.h>

namespace {

using frontend::HeardNote;
using Kind = frontend::StartPoint::Kind;

TEST(ZemplayFollowText, NoteNamesAndLines)
{
    const std::pair<int, const char*> names[] = {{60, "c4"},  {61, "c+4"}, {71, "b4"}, {72, "c5"}, {0, "c-1"},
                                                 {127, "g9"}, {-1, "?"},   {128, "?"}, {52, "e3"}, {70, "a+4"}};
    for (const auto& [key, name] : names) EXPECT_EQ(console::noteName(key), name) << key;

    HeardNote mapped{.image = 1, .track = 2, .trackNumber = 7, .command = {12, 5, 1}, .key = 61};
    EXPECT_EQ(console::followLine(mapped), "12:5 #7 c+4");
    HeardNote unmapped{.image = 1, .track = 0, .trackNumber = 0, .command = {}, .key = 48};
    EXPECT_EQ(console::followLine(unmapped), "- #0 c3");
}

TEST(ZemplayFollowText, StatusPlaceIsTheLastNoteOfTheLowestTrackStillPlaying)
{
    const auto note = [](uint64_t image, size_t track, uint32_t line, uint32_t column) {
        return HeardNote{.image = image, .track = track, .trackNumber = uint8_t(track), .command = {line, column, 1}};
    };
    const auto frame = [](uint64_t image, std::vector<bool> ended) {
        frontend::FollowFrame f;
        f.image = image;
        for (bool e : ended) f.tracks.push_back({.ended = e});
        return f;
    };
    console::LastNotes last;
    EXPECT_EQ(last.place(frame(0, {})), "");
    last.heard({note(1, 1, 4, 2), note(1, 0, 1, 9), note(1, 0, 1, 11)});
    EXPECT_EQ(last.place(frame(1, {false, false})), "1:11");
    EXPECT_EQ(last.place(frame(1, {true, false})), "4:2") << "track 0 has ended";
    EXPECT_EQ(last.place(frame(1, {true, true})), "");
    EXPECT_EQ(last.place(frame(2, {false, false})), "") << "the frame is of another image";
    last.heard({note(2, 1, 6, 3)});
    EXPECT_EQ(last.place(frame(2, {false, false})), "6:3") << "the old image's notes are forgotten";

    frontend::Snapshot snapshot;
    snapshot.time = "0:12";
    snapshot.bar = 3;
    snapshot.beat = 2;
    EXPECT_EQ(console::statusLine(snapshot, 0, "6:3"), "  0:12  loop 0  120.00 BPM  3:2  6:3");
    EXPECT_EQ(console::statusLine(snapshot, 0), "  0:12  loop 0  120.00 BPM  3:2");
}

TEST(ZemplayFollowText, StartPlacesOnTheCommandLine)
{
    const struct {
        std::vector<const char*> args;
        Kind kind;
        uint32_t first, second;
        bool follow;
    } cases[] = {
        {{"--from", "12", "a"}, Kind::Source, 12, 0, false},
        {{"--from", "12:5", "--follow", "a"}, Kind::Source, 12, 5, true},
        {{"a", "--at", "17"}, Kind::Bar, 17, 1, false},
        {{"--follow", "--at", "3:4", "a"}, Kind::Bar, 3, 4, true},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv{const_cast<char*>("zemplay")};
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        std::string error;
        const auto line = console::parseCommandLine(int(argv.size()), argv.data(), &error);
        ASSERT_TRUE(line) << error;
        ASSERT_TRUE(line->start);
        EXPECT_EQ(line->start->kind, c.kind);
        EXPECT_EQ(c.kind == Kind::Source ? line->start->line : line->start->bar, c.first);
        EXPECT_EQ(c.kind == Kind::Source ? line->start->column : line->start->beat, c.second);
        EXPECT_EQ(line->follow, c.follow);
        EXPECT_EQ(line->file, "a");
    }
}

} // namespace

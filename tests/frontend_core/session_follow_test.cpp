// The session as a score view's source: the places it hands out while a
// score plays, the notes as they are heard, a play from a place through
// the ports, a refused place, and a live reload's new map.
#include "fake_midi.h"

#include "frontend/compile_image.h"
#include "frontend/session.h"
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using frontend::PlayerState;
using frontend::StartPoint;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

// Whole notes at 60 beats per minute: each command sounds four seconds.
constexpr const char* kSlow = "#0 T60 l1 c d\n"
                              "#1 o3 l1 e f\n";
// A program, then eighths at 240 beats per minute (125 ms).
constexpr const char* kQuick = "#0 T240 @5 l8 c d e f g a b > c\n";

struct Player {
    zem_test::TempDir dir;
    frontend_test::FakeMidiDevices fake{{{"Fake Synth"}}};
    std::unique_ptr<frontend::Session> session;

    explicit Player(const std::string& score)
    {
        dir.write("song.kvt", score);
        frontend::SessionConfig config;
        config.programFolder = dir.path();
        config.useSettingsFile = false;
        config.singleInstance = false;
        config.devices = &fake;
        config.audsink = {};
        session = frontend::Session::create(config, nullptr);
        session->selectFile(dir.file("song.kvt"));
    }
    bool waitFor(PlayerState state)
    {
        for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
            if (session->snapshot().state == state) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }
    // The note messages the port got, from the first one on.
    Lines notes()
    {
        Lines out;
        for (const std::string& line : fake.lines())
            if (line.rfind("-1 9", 0) == 0 || line.rfind("-1 8", 0) == 0) out.push_back(line);
        return out;
    }
};

StartPoint source(uint32_t line, uint32_t column)
{
    return {.kind = StartPoint::Kind::Source, .line = line, .column = column};
}

TEST(SessionFollow, FramesAndNotesNameTheCommandsThatSound)
{
    Player p(kSlow);
    EXPECT_EQ(p.session->followFrame().tracks.size(), 0u);
    ASSERT_TRUE(p.session->play());
    std::this_thread::sleep_for(600ms);
    const frontend::FollowFrame frame = p.session->followFrame();
    EXPECT_TRUE(frame.playing);
    EXPECT_EQ(frame.file, p.dir.file("song.kvt"));
    ASSERT_EQ(frame.tracks.size(), 2u);
    EXPECT_EQ(frame.tracks[0].trackNumber, 0);
    EXPECT_EQ(frame.tracks[0].command, (kvt::SourceRange{1, 11, 1}));
    EXPECT_EQ(frame.tracks[1].trackNumber, 1);
    EXPECT_EQ(frame.tracks[1].command, (kvt::SourceRange{2, 10, 1}));
    // Notes of one moment come in the engine's order of tracks.
    std::vector<frontend::HeardNote> notes = p.session->takeHeardNotes();
    std::sort(notes.begin(), notes.end(), [](const auto& a, const auto& b) { return a.track < b.track; });
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].key, 60);
    EXPECT_EQ(notes[0].command, (kvt::SourceRange{1, 11, 1}));
    EXPECT_EQ(notes[1].key, 52);
    EXPECT_EQ(notes[1].trackNumber, 1);
    EXPECT_EQ(notes[1].command, (kvt::SourceRange{2, 10, 1}));
    EXPECT_TRUE(p.session->takeHeardNotes().empty()) << "each note is handed out once";

    // A place the score lacks changes nothing.
    EXPECT_FALSE(p.session->playFrom(source(9, 1)));
    EXPECT_EQ(p.session->snapshot().state, PlayerState::Playing);
    const auto pane = p.session->takeMessages().messages;
    EXPECT_NE(std::find(pane.begin(), pane.end(), frontend::Message{frontend::StartRefused{"no command at line 9"}}),
              pane.end());
    EXPECT_EQ(p.session->followFrame().image, frame.image);

    // A live reload: the same notes a line further down.
    const std::string moved = std::string("/ a new first line\n") + kSlow;
    kvt::SourceMap map;
    auto image = frontend::compileImage(
        {moved.begin(), moved.end()}, "song.kvt", 0, [](const frontend::CompileMessage&) {}, &map);
    ASSERT_TRUE(image);
    ASSERT_TRUE(p.session->switchImage(std::move(*image), std::move(map)));
    std::this_thread::sleep_for(100ms);
    const frontend::FollowFrame reloaded = p.session->followFrame();
    EXPECT_GT(reloaded.image, frame.image);
    ASSERT_EQ(reloaded.tracks.size(), 2u);
    EXPECT_EQ(reloaded.tracks[0].command, (kvt::SourceRange{2, 11, 1}));

    p.session->stop();
    EXPECT_FALSE(p.session->followFrame().playing);
    EXPECT_TRUE(p.session->followFrame().tracks.empty());
}

TEST(SessionFollow, PlayFromAPlaceSendsWhatThePlayFromTheTopSendsFromThere)
{
    struct Case {
        StartPoint start;
        const char* firstNote; // the note-on the place starts with
    };
    const Case cases[] = {
        {source(1, 20), "-1 90 41"}, // «f»
        {source(1, 28), "-1 90 30"}, // «c» after «>» (an octave down)
        {{.kind = StartPoint::Kind::Bar, .bar = 1, .beat = 3}, "-1 90 43"},
    };
    Player top(kQuick);
    ASSERT_TRUE(top.session->play());
    ASSERT_TRUE(top.waitFor(PlayerState::Selected));
    const Lines whole = top.notes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstNote);
        Player p(kQuick);
        ASSERT_TRUE(p.session->playFrom(c.start));
        ASSERT_TRUE(p.waitFor(PlayerState::Selected));
        const Lines lines = p.fake.lines();
        const auto program =
            std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("-1 C0 04", 0) == 0; });
        // The note struck silently before the place is released as at the top.
        const Lines heard = p.notes();
        const auto firstOn = std::find_if(heard.begin(), heard.end(), [](const auto& l) { return l[3] == '9'; });
        ASSERT_NE(firstOn, heard.end());
        EXPECT_EQ(firstOn->rfind(c.firstNote, 0), 0u) << *firstOn;
        EXPECT_NE(program, lines.end()) << "the program is sent before the first note";
        EXPECT_LT(program - lines.begin(), std::find(lines.begin(), lines.end(), *firstOn) - lines.begin());
        const auto from = std::find(whole.begin(), whole.end(), heard.front());
        ASSERT_NE(from, whole.end());
        EXPECT_EQ(heard, Lines(from, whole.end()));
    }
}

} // namespace

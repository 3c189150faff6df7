// The session headless: its state table, the play path and its failures,
// what reaches the MIDI ports for a test score, and start-up.
#include "fake_audsink.h"
#include "fake_midi.h"
#include "pane_text.h"

#include "frontend/compile_image.h"
#include "frontend/session.h"
#include "frontend/wave_devices.h"
#include <run_program.h>
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using frontend::PlayerState;
using frontend_test::FakeMidiDevices;
using Lines = std::vector<std::string>;

// Repeats for ever until stopped.
constexpr const char* kEndless = "?3\"Endless\"\n:0 @5 l8 [0 c d e f ]\n";

struct Fixture {
    zem_test::TempDir dir;
    FakeMidiDevices fake{{{"Fake Synth"}, {"Other"}}};
    frontend::SessionConfig config;
    std::unique_ptr<frontend::Session> session;

    Fixture()
    {
        config.programFolder = dir.path();
        config.settingsFolder = dir.path();
        config.singleInstance = false;
        config.devices = &fake;
        config.audsink = {}; // no sound device: cases that need one pass the fake table
    }
    frontend::Session& start()
    {
        frontend::StartupFailure failure{};
        session = frontend::Session::create(config, &failure);
        EXPECT_EQ(failure, frontend::StartupFailure::None);
        return *session;
    }
    // Starts and plays `score` as song.kvt.
    frontend::Session& play(const std::string& score)
    {
        dir.write("song.kvt", score);
        frontend::Session& s = start();
        s.selectFile(dir.file("song.kvt"));
        s.play();
        return s;
    }
    // Waits until the published snapshot passes the test (false after ms).
    template <typename Test> bool waitUntil(Test test, int ms = 5000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!test(session->snapshot())) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    bool waitFor(PlayerState state, int ms = 5000)
    {
        return waitUntil([state](const frontend::Snapshot& s) { return s.state == state; }, ms);
    }
};

struct Expected {
    PlayerState state;
    bool buttons;
    bool deviceMenu;
};

void expectState(const frontend::Session& s, const Expected& e, const char* step)
{
    const frontend::Snapshot snap = s.snapshot();
    EXPECT_EQ(snap.state, e.state) << step;
    EXPECT_EQ(snap.buttonsEnabled, e.buttons) << step;
    EXPECT_EQ(snap.deviceMenuEnabled, e.deviceMenu) << step;
}

TEST(Session, StateTable)
{
    Fixture f;
    f.dir.write("song.kvt", kEndless);
    frontend::Session& s = f.start();
    enum class Act { Select, SelectNone, Play, Pause, Stop, Eject };
    const struct {
        const char* step;
        Act act;
        Expected after;
    } steps[] = {
        {"start-up", Act::Pause, {PlayerState::Empty, false, true}},
        {"eject when empty", Act::Eject, {PlayerState::Empty, false, true}},
        {"select", Act::Select, {PlayerState::Selected, true, true}},
        {"pause without an image", Act::Pause, {PlayerState::Selected, true, true}},
        {"stop without a player", Act::Stop, {PlayerState::Selected, true, true}},
        {"play", Act::Play, {PlayerState::Playing, true, false}},
        {"pause", Act::Pause, {PlayerState::Paused, true, false}},
        {"pause again resumes", Act::Pause, {PlayerState::Playing, true, false}},
        {"play restarts", Act::Play, {PlayerState::Playing, true, false}},
        {"stop", Act::Stop, {PlayerState::Selected, true, true}},
        {"play after stop", Act::Play, {PlayerState::Playing, true, false}},
        {"a new file unloads first", Act::Select, {PlayerState::Selected, true, true}},
        {"play", Act::Play, {PlayerState::Playing, true, false}},
        {"eject", Act::Eject, {PlayerState::Empty, false, true}},
        {"play when empty", Act::Play, {PlayerState::Empty, false, true}},
        {"select", Act::Select, {PlayerState::Selected, true, true}},
        {"empty path unloads", Act::SelectNone, {PlayerState::Empty, false, true}},
    };
    for (const auto& step : steps) {
        switch (step.act) {
        case Act::Select: s.selectFile(f.dir.file("song.kvt")); break;
        case Act::SelectNone: s.selectFile(""); break;
        case Act::Play: s.play(); break;
        case Act::Pause: s.pause(); break;
        case Act::Stop: s.stop(); break;
        case Act::Eject: s.eject(); break;
        }
        expectState(s, step.after, step.step);
    }
    EXPECT_EQ(s.snapshot().caption, frontend::kWindowCaption);
}

TEST(Session, PlayShowsTheTextsAndRestartResetsTheDisplays)
{
    Fixture f;
    f.dir.write("song.kvt", "?3\"\x82\xA0\"\n?2\"Notice\"\n" + std::string(kEndless));
    frontend::Session& s = f.start();
    s.selectFile(f.dir.file("song.kvt"));
    EXPECT_EQ(s.snapshot().caption, f.dir.file("song.kvt"));
    s.play();
    ASSERT_TRUE(f.waitUntil([](const frontend::Snapshot& snap) { return snap.elapsedMs > 100; }));
    frontend::Snapshot snap = s.snapshot();
    EXPECT_EQ(snap.title.text, "\xE3\x81\x82"); // no character set named: Shift-JIS
    EXPECT_EQ(snap.notice.text, "Notice");
    EXPECT_EQ(snap.charsetLine, "(unknown; default)");
    EXPECT_EQ(snap.tempo, "120.00");
    EXPECT_EQ(snap.key, "");
    s.play();
    snap = s.snapshot();
    EXPECT_LT(snap.elapsedMs, 100u);
    EXPECT_EQ(snap.time, "0:00.00");
    s.eject();
    snap = s.snapshot();
    EXPECT_EQ(snap.title.text, "");
    EXPECT_EQ(snap.charsetLine, "");
}

// Language and character set come from their own meta texts and stay
// intact while the title and notice are fetched.
TEST(Session, TitlesInTheirLanguageAndCharacterSet)
{
    const struct {
        const char* header;
        const char* title;
        int font;
        const char* line;
    } cases[] = {
        {"?190\"ja\"\n?191\"Shift_JIS\"\n?3\"\x82\xA0\"\n", "\xE3\x81\x82", 128, "(ja; Shift_JIS)"},
        {"?190\"ru\"\n?191\"utf-8\"\n?3\"\xD0\xAF\"\n", "\xD0\xAF", 204, "(ru; utf-8)"},
        {"?191\"hz\"\n?3\"~{<:~}\"\n", "\xE5\xB7\xB1", 134, "(unknown; hz)"},
        {"?190\"he\"\n?3\"x\"\n", "x", 0, "(he; default)"},
    };
    for (const auto& c : cases) {
        Fixture f;
        frontend::Session& s = f.play(std::string(c.header) + "c\n");
        const frontend::Snapshot snap = s.snapshot();
        EXPECT_EQ(snap.title.text, c.title) << c.line;
        EXPECT_EQ(snap.title.fontCharset, c.font) << c.line;
        EXPECT_EQ(snap.notice.text, "") << c.line;
        EXPECT_EQ(snap.notice.fontCharset, 255) << c.line;
        EXPECT_EQ(snap.charsetLine, c.line);
    }
}

TEST(Session, KeySignatureAndTempoFromTheEngine)
{
    Fixture f;
    frontend::Session& s = f.play("T96 ?89{FE00} :0 [0 c d ]\n");
    ASSERT_TRUE(f.waitUntil([](const frontend::Snapshot& snap) { return !snap.key.empty(); }));
    const frontend::Snapshot snap = s.snapshot();
    EXPECT_EQ(snap.key, "Bb major");
    EXPECT_EQ(snap.tempo, "96.01"); // the period 3333 of 96 beats per minute, shown back
}

TEST(Session, PausedTimeIsNotCounted)
{
    Fixture f;
    frontend::Session& s = f.play(kEndless);
    ASSERT_TRUE(f.waitUntil([](const frontend::Snapshot& snap) { return snap.elapsedMs > 50; }));
    s.pause();
    const uint32_t paused = s.snapshot().elapsedMs;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto resumedAt = std::chrono::steady_clock::now();
    s.pause();
    ASSERT_TRUE(f.waitUntil([paused](const frontend::Snapshot& snap) { return snap.elapsedMs > paused; }));
    const uint32_t resumed = s.snapshot().elapsedMs;
    const auto playedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - resumedAt);
    // Only the time since the resume is counted, not the 300 ms of pause.
    EXPECT_LE(resumed - paused, uint32_t(playedMs.count()) + 10);
}

TEST(Session, FailuresOfThePlayPath)
{
    const struct {
        const char* name;
        const char* file;
        std::string bytes; // not written when empty
        const char* caption;
        Lines pane;
    } cases[] = {
        {"unreadable", "missing.kvt", "", "error:File cannot load", {}},
        {"a folder", "folder.kvt", "", "error:File cannot load", {}},
        {"a FIFO", "fifo.kvt", "", "error:File cannot load", {}},
        {"a MIDI file cut short",
         "short.mid",
         "MThd",
         "error:File cannot load",
         {"[@/short.mid]", "Not have enough size."}},
        {"compile error", "bad.kvt", "c\nd\n]\n", "KVT compile error", {"[@/bad.kvt]", "Out of loop in 3."}},
        {"not an image", "text.ZEM", "QORSZEM:c d e", "dp_const() failed", {"Dev00: Fake Synth"}},
    };
    for (const auto& c : cases) {
        Fixture f;
        if (!c.bytes.empty()) f.dir.write(c.file, c.bytes);
        ::mkdir(f.dir.file("folder.kvt").c_str(), 0755);
        ::mkfifo(f.dir.file("fifo.kvt").c_str(), 0644);
        frontend::Session& s = f.start();
        s.selectFile(f.dir.file(c.file));
        EXPECT_FALSE(s.play()) << c.name;
        const frontend::Snapshot snap = s.snapshot();
        EXPECT_EQ(snap.caption, c.caption) << c.name;
        EXPECT_EQ(snap.state, PlayerState::Selected) << c.name;
        Lines pane;
        for (std::string line : frontend_test::paneLines(s.takeMessages())) {
            const size_t at = line.find(f.dir.path());
            if (at != std::string::npos) line.replace(at, f.dir.path().size(), "@");
            pane.push_back(line);
        }
        EXPECT_EQ(pane, c.pane) << c.name;
    }
}

// A switch goes on where the old image stands: elapsed time is kept, the
// new image's program is sent at once, its notes follow; without a player
// or with a refused image nothing changes.
TEST(Session, SwitchImageGoesOnAtThePosition)
{
    const auto compiled = [](const std::string& text) {
        auto image = frontend::compileImage({text.begin(), text.end()}, "next.kvt", 0, [](auto&) {});
        EXPECT_TRUE(image.has_value()) << text;
        return image.value_or(std::vector<uint8_t>{});
    };
    // The same loop on program 9 (sent as 8) with other notes.
    const std::vector<uint8_t> next = compiled("?3\"Next\"\n:0 @9 l8 [0 g a b ]\n");
    const std::string refused = "c d e";
    enum class Before { Selected, Playing, Paused };
    const struct {
        const char* name;
        Before before;
        std::vector<uint8_t> image;
        bool switched;
        PlayerState after;
        const char* paneLine; // null: none expected
    } cases[] = {
        {"no player", Before::Selected, next, false, PlayerState::Selected, nullptr},
        {"refused image",
         Before::Playing,
         {refused.begin(), refused.end()},
         false,
         PlayerState::Playing,
         "dp_const() failed"},
        {"while playing", Before::Playing, next, true, PlayerState::Playing, nullptr},
        {"while paused", Before::Paused, next, true, PlayerState::Paused, nullptr},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.dir.write("song.kvt", kEndless);
        frontend::Session& s = f.start();
        s.selectFile(f.dir.file("song.kvt"));
        if (c.before != Before::Selected) {
            s.play();
            ASSERT_TRUE(f.waitUntil([](const frontend::Snapshot& snap) { return snap.elapsedMs > 300; })) << c.name;
        }
        if (c.before == Before::Paused) s.pause();
        (void)s.takeMessages();
        const uint32_t elapsedBefore = s.snapshot().elapsedMs;
        const size_t linesBefore = f.fake.lines().size();
        EXPECT_EQ(s.switchImage(c.image), c.switched) << c.name;
        if (c.before == Before::Playing) std::this_thread::sleep_for(std::chrono::milliseconds(600));
        const frontend::Snapshot snap = s.snapshot();
        EXPECT_EQ(snap.state, c.after) << c.name;
        EXPECT_GE(snap.elapsedMs, elapsedBefore) << c.name;
        EXPECT_EQ(snap.title.text, c.switched ? "Next" : (c.before == Before::Selected ? "" : "Endless")) << c.name;
        const Lines pane = frontend_test::paneLines(s.takeMessages());
        EXPECT_EQ(std::find(pane.begin(), pane.end(), c.paneLine ? c.paneLine : "") != pane.end(),
                  c.paneLine != nullptr)
            << c.name;
        const Lines all = f.fake.lines();
        const Lines after(all.begin() + std::ptrdiff_t(std::min(linesBefore, all.size())), all.end());
        const auto sent = [&after](const std::string& prefix) {
            return std::any_of(after.begin(), after.end(),
                               [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
        };
        EXPECT_EQ(sent("-1 C0 08"), c.switched) << c.name;
        const bool newNotes = sent("-1 90 43") || sent("-1 90 45") || sent("-1 90 47");
        EXPECT_EQ(newNotes, c.switched && c.after == PlayerState::Playing) << c.name;
        EXPECT_FALSE(sent("-1 90 3C") || sent("-1 90 3E")) << c.name << ": the old image sounded on";
    }
}

// A note held across a switch sounds on when the new image holds it too
// (same track, port, channel and key); every other note is released.
TEST(Session, HeldNotesTheNewImageAlsoHoldsSoundOn)
{
    const auto compiled = [](const std::string& text) {
        auto image = frontend::compileImage({text.begin(), text.end()}, "next.kvt", 0, [](auto&) {});
        EXPECT_TRUE(image.has_value()) << text;
        return image.value_or(std::vector<uint8_t>{});
    };
    // Track 0 holds key 60 for 4 s on channel 0; track 1 runs on channel 1.
    const std::string old = "#0 T60 :0 l1 c\n#1 :1 l8 [0 e f ]\n";
    const struct {
        const char* name;
        std::string next;
        bool keySoundsOn;
    } cases[] = {
        {"only the other track edited", "#0 T60 :0 l1 c\n#1 :1 l8 [0 g a ]\n", true},
        {"the note changed", "#0 T60 :0 l1 d\n#1 :1 l8 [0 g a ]\n", false},
        {"the note moved to another channel", "#0 T60 :2 l1 c\n#1 :1 l8 [0 g a ]\n", false},
        {"the note moved to another track", "#0 T60 :0 r1\n#1 :1 l8 [0 g a ]\n#2 :0 l1 c\n", false},
    };
    for (const auto& c : cases) {
        Fixture f;
        frontend::Session& s = f.play(old);
        ASSERT_TRUE(f.waitUntil([](const frontend::Snapshot& snap) { return snap.elapsedMs > 300; })) << c.name;
        const size_t before = f.fake.lines().size();
        ASSERT_TRUE(s.switchImage(compiled(c.next))) << c.name;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const Lines all = f.fake.lines();
        const Lines after(all.begin() + std::ptrdiff_t(before), all.end());
        const auto sent = [&after](const std::string& prefix) {
            return std::any_of(after.begin(), after.end(),
                               [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
        };
        EXPECT_EQ(sent("-1 80 3C"), !c.keySoundsOn) << c.name;
        EXPECT_FALSE(sent("-1 90 3C")) << c.name << ": the held note was struck again";
        // Track 1's old notes end at the switch either way.
        EXPECT_TRUE(sent("-1 81 40") || sent("-1 81 41")) << c.name;
    }
}

// prepare() loads without opening a port; the next play() starts what it
// loaded, and a failed load is told as play() would tell it.
TEST(Session, PrepareLoadsForTheNextPlay)
{
    const struct {
        const char* name;
        const char* score;
        bool loads;
        const char* caption;
    } cases[] = {
        {"a score", kEndless, true, "@/song.kvt"},
        {"a compile error", "c\nd\n]\n", false, "KVT compile error"},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.dir.write("song.kvt", c.score);
        frontend::Session& s = f.start();
        s.selectFile(f.dir.file("song.kvt"));
        EXPECT_EQ(s.prepare(), c.loads) << c.name;
        EXPECT_TRUE(f.fake.lines().empty()) << c.name << ": a port was opened";
        std::string caption = s.snapshot().caption;
        if (caption.rfind(f.dir.path(), 0) == 0) caption.replace(0, f.dir.path().size(), "@");
        EXPECT_EQ(caption, c.caption) << c.name;
        EXPECT_EQ(s.play(), c.loads) << c.name;
        EXPECT_EQ(s.snapshot().state, c.loads ? PlayerState::Playing : PlayerState::Selected) << c.name;
    }
}

// A Standard MIDI File, whatever its name, is imported and compiled in
// memory: its note reaches the port.
TEST(Session, StandardMidiFilesPlay)
{
    using namespace std::string_literals;
    const std::string oneNote = "MThd\0\0\0\x06\0\0\0\x01\0\x60"s + "MTrk\0\0\0\x0C"s + "\0\x90\x3C\x64"s +
                                "\x60\x80\x3C\x40"s + "\0\xFF\x2F\0"s;
    for (const char* name : {"tune.mid", "tune.MID", "tune.kvt"}) {
        Fixture f;
        f.dir.write(name, oneNote);
        frontend::Session& s = f.start();
        s.selectFile(f.dir.file(name));
        EXPECT_TRUE(s.play()) << name << ": " << s.snapshot().caption;
        EXPECT_TRUE(f.waitFor(PlayerState::Selected)) << name;
        const Lines lines = f.fake.lines();
        EXPECT_NE(
            std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("-1 90 3C", 0) == 0; }),
            lines.end())
            << name;
    }
}

TEST(Session, ImagesInAnyCaseAreNotCompiled)
{
    Fixture f;
    frontend::Session& s = f.play(kEndless);
    s.stop();
    // The same piece compiled by zemc and named .Zem plays without the compiler.
    ASSERT_EQ(zem_test::runProgram("zemc", {"song.kvt"}, f.dir.path()).status, 0);
    std::rename(f.dir.file("song.ZEM").c_str(), f.dir.file("image.Zem").c_str());
    s.selectFile(f.dir.file("image.Zem"));
    EXPECT_TRUE(s.play());
    EXPECT_EQ(s.snapshot().state, PlayerState::Playing);
    EXPECT_EQ(s.snapshot().title.text, "Endless");
}

TEST(Session, RelativePathsAreMadeAbsolute)
{
    Fixture f;
    frontend::Session& s = f.start();
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    s.selectFile("sub/../song.kvt");
    EXPECT_EQ(s.currentFile(), std::string(cwd) + "/song.kvt");
    s.selectFile("/abs/./song.kvt");
    EXPECT_EQ(s.currentFile(), "/abs/./song.kvt");
}

// The messages a short score sends, from the start to its end, through the
// port named MIDI00.
TEST(Session, GoldenMessagesOfATestScore)
{
    Fixture f;
    f.play("T240 :2 @5 l16 Y64,127 c d r e\n");
    ASSERT_TRUE(f.waitFor(PlayerState::Selected));
    const Lines expected = {
        "-1 open",
        "-1 C2 04", // "@5" is the fifth program
        "-1 B2 40 7F", "-1 92 3C 7F", "-1 82 3C 7F", "-1 92 3E 7F", "-1 82 3E 7F", "-1 92 40 7F", "-1 82 40 7F",
        "-1 B2 40 00", // the end of the piece stops it: the pedal is let go
        "-1 close",
    };
    EXPECT_EQ(f.fake.lines(), expected);
}

TEST(Session, LoopLimitEndsAnEndlessPiece)
{
    Fixture f;
    f.config.loopLimit = 2;
    f.play("T480 :0 l16 [0 c d ]\n");
    EXPECT_TRUE(f.waitFor(PlayerState::Selected, 3000));
}

// At its end a song's notes are released and ring out while the port
// still sounds, for 3 s at most; a Stop cuts at once.
TEST(Session, AnEndedSongRingsOut)
{
    const struct {
        const char* name;
        int ringMs;
        bool stopByHand;
        int atLeastMs;
        int atMostMs;
    } cases[] = {
        {"a port without a tail", 0, false, 0, 300},
        {"a port sounding for 800 ms", 800, false, 650, 1800},
        {"a port that never falls silent", -1, false, 2900, 4500},
        {"stopped by hand during the tail", -1, true, 0, 300},
    };
    for (const auto& c : cases) {
        FakeMidiDevices ringing{{{"Fake Synth", true, 0, true, c.ringMs}}}; // outlives the session
        Fixture f;
        f.config.devices = &ringing;
        frontend::Session& s = f.play("T480 :0 @1 l16 c\n");
        const auto lastNoteOff = [&ringing] {
            const Lines lines = ringing.lines();
            return std::any_of(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.rfind("-1 80 3C", 0) == 0; });
        };
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!lastNoteOff() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_TRUE(lastNoteOff()) << c.name;
        const auto ended = std::chrono::steady_clock::now();
        if (c.stopByHand) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            EXPECT_EQ(s.snapshot().state, PlayerState::Playing) << c.name << ": no tail to cut";
            s.stop();
        }
        ASSERT_TRUE(f.waitFor(PlayerState::Selected, 6000)) << c.name;
        const auto tookMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - ended).count();
        EXPECT_GE(tookMs, c.stopByHand ? 100 : c.atLeastMs) << c.name;
        EXPECT_LE(tookMs, c.stopByHand ? 100 + c.atMostMs : c.atMostMs) << c.name;
        EXPECT_EQ(ringing.lines().back(), "-1 close") << c.name;
    }
}

TEST(Session, SettingsFileAfterTheFirstRunHoldsEveryKey)
{
    Fixture f;
    f.start().setCompileSwitches(0x0003);
    const std::string text = f.dir.read("zemfe.ini");
    const std::string wave = "WAVE00=" + frontend::waveMapperName();
    for (const std::string key :
         {"MIDIDevs=16", wave.c_str(), "MIDI00=Fake Synth", "MIDI15=", "StrBufSize=200", "Switch=3"})
        EXPECT_NE(text.find("\n" + key + "\n"), std::string::npos) << key << "\n" << text;
}

TEST(Session, DeviceSettingsTakeEffectAtTheNextPlay)
{
    Fixture f;
    f.dir.write("song.kvt", kEndless);
    frontend::Session& s = f.start();
    frontend::DeviceSettings d = s.deviceSettings();
    d.midi[0] = "Other";
    d.portCount = 40;
    s.applyDeviceSettings(d);
    EXPECT_EQ(s.deviceSettings().portCount, 16);
    s.selectFile(f.dir.file("song.kvt"));
    s.play();
    EXPECT_EQ(frontend_test::paneLines(s.takeMessages()), (Lines{"Dev00: Other"}));
}

// The player's sound policies: stream decoders named by the settings'
// "Plug" section, and an open that fails reported in the message pane.
TEST(Session, StreamDecodersFromTheSettingsAndFailedOpensInThePane)
{
    bridge_test::FakeAudsink audsink; // outlives the session
    audsink.streams[2].openFails = true;
    Fixture f;
    f.config.audsink = bridge_test::fakeEntries(&audsink);
    f.dir.write("zemfe.ini", "[Plug]\nOGG=myogg.so\n");
    frontend::Session& s = f.play("#0 T120 l8 =130,2 ?132\"take.ogg\" ?137{00} :0 [0 c d ]\n");
    const std::string failed = "stropen: cannot open(2)";
    Lines pane;
    for (int i = 0; i < 500 && std::find(pane.begin(), pane.end(), failed) == pane.end(); ++i) {
        const Lines taken = frontend_test::paneLines(s.takeMessages());
        pane.insert(pane.end(), taken.begin(), taken.end());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    s.stop();
    EXPECT_EQ(pane, (Lines{"Dev00: Fake Synth", failed}));
    const std::string open = "stream_request_open stream2 " + f.dir.file("take.ogg") + " myogg.so 200 0 0";
    EXPECT_NE(std::find(audsink.calls.begin(), audsink.calls.end(), open), audsink.calls.end()) << open;
}

// The library's sound device is opened once, at start-up, whether or not
// the song asks for sampled sound.
TEST(Session, WaveDeviceOpensAtStartup)
{
    bridge_test::FakeAudsink audsink; // outlives the session
    Fixture f;
    f.config.audsink = bridge_test::fakeEntries(&audsink);
    f.play("T480 :0 l16 c d\n");
    EXPECT_TRUE(f.waitFor(PlayerState::Selected));
    f.session.reset();
    EXPECT_EQ(std::count_if(audsink.calls.begin(), audsink.calls.end(),
                            [](const std::string& call) { return call.rfind("open_device ", 0) == 0; }),
              1);
}

TEST(Session, StartupRefusals)
{
    const struct {
        const char* name;
        uint32_t version;
        int failStreamAt;
        bool noInstance;
        frontend::StartupFailure failure;
        const char* message;
    } cases[] = {
        {"old audsink", 0x2D00, -1, false, frontend::StartupFailure::AudsinkTooOld, "AUDSINK.DLL's version too old"},
        {"top byte set", 0x01002F03, -1, false, frontend::StartupFailure::AudsinkTooOld,
         "AUDSINK.DLL's version too old"},
        {"no instance", 0x2F03, -1, true, frontend::StartupFailure::NoAudsink, "cannot create AUDSINK instance"},
        {"no stream", 0x2F03, 15, false, frontend::StartupFailure::NoStreamInstance,
         "cannot create AUDSINK stream instance"},
        {"oldest accepted", 0x2D01, -1, false, frontend::StartupFailure::None, ""},
    };
    for (const auto& c : cases) {
        Fixture f;
        bridge_test::FakeAudsink fake;
        fake.failStreamAt = c.failStreamAt;
        f.config.audsink = bridge_test::fakeEntries(c.noInstance ? nullptr : &fake, c.version);
        frontend::StartupFailure failure{};
        auto session = frontend::Session::create(f.config, &failure);
        EXPECT_EQ(failure, c.failure) << c.name;
        EXPECT_EQ(session != nullptr, c.failure == frontend::StartupFailure::None) << c.name;
        EXPECT_STREQ(frontend::startupMessage(failure), c.message) << c.name;
    }
}

TEST(Session, OneInstancePerUser)
{
    Fixture f;
    ::setenv("XDG_RUNTIME_DIR", f.dir.path().c_str(), 1);
    f.config.singleInstance = true;
    frontend::StartupFailure failure{};
    auto first = frontend::Session::create(f.config, &failure);
    ASSERT_NE(first, nullptr);
    auto second = frontend::Session::create(f.config, &failure);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(failure, frontend::StartupFailure::AlreadyRunning);
    first.reset();
    EXPECT_NE(frontend::Session::create(f.config, &failure), nullptr);
    ::unsetenv("XDG_RUNTIME_DIR");
}

// A lock file that cannot be opened refuses the start with the reason,
// naming the file; a link is never followed.
TEST(Session, ALockFileThatCannotBeOpenedIsExplained)
{
    const struct {
        const char* name;
        void (*prepare)(const zem_test::TempDir& dir);
        const char* reason; // "@" stands for the lock file's path
    } cases[] = {
        {"a link",
         [](const zem_test::TempDir& dir) {
             ::mkdir(dir.file("run").c_str(), 0700);
             ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("run/ZEMFE_EXCLUSIVE").c_str()), 0);
         },
         "cannot open the lock file @: it is a symbolic link"},
        {"a missing runtime folder", [](const zem_test::TempDir&) {},
         "cannot open the lock file @: No such file or directory"},
        {"a folder in its place",
         [](const zem_test::TempDir& dir) {
             ::mkdir(dir.file("run").c_str(), 0700);
             ::mkdir(dir.file("run/ZEMFE_EXCLUSIVE").c_str(), 0700);
         },
         "cannot open the lock file @: Is a directory"},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.dir.write("elsewhere", "keep");
        c.prepare(f.dir);
        ::setenv("XDG_RUNTIME_DIR", f.dir.file("run").c_str(), 1);
        f.config.singleInstance = true;
        frontend::StartupFailure failure{};
        std::string reason;
        EXPECT_EQ(frontend::Session::create(f.config, &failure, &reason), nullptr) << c.name;
        EXPECT_EQ(failure, frontend::StartupFailure::NoLockFile) << c.name;
        std::string expected = c.reason;
        expected.replace(expected.find('@'), 1, f.dir.file("run/ZEMFE_EXCLUSIVE"));
        EXPECT_EQ(reason, expected) << c.name;
        EXPECT_EQ(f.dir.read("elsewhere"), "keep") << c.name;
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

} // namespace

namespace {

// A live reload goes through the session: the selected file is loaded again
// with the session's switches while the old image plays on.  A compile
// error arrives as a typed compile message with its place and the number
// of the failed reload, a taken image as ReloadDone, an image the engine
// refuses as ReloadRefused.
TEST(Session, LiveReloadReportsTypedMessages)
{
    Fixture f;
    f.dir.write("song.kvt", ":0 @5 l8 c d (\n");
    frontend::Session& s = f.start();
    s.selectFile(f.dir.file("song.kvt"));
    EXPECT_FALSE(s.reload()) << "no player";
    EXPECT_TRUE(s.takeMessages().messages.empty()) << "nothing was compiled without a player";

    f.dir.write("song.kvt", kEndless);
    ASSERT_TRUE(s.play());
    (void)s.takeMessages();
    const std::string file = f.dir.file("song.kvt");
    using frontend::CompileMessage;
    const struct {
        const char* what;
        uint16_t switches;
        std::string text;
        bool taken;
        std::vector<frontend::Message> reported;
    } steps[] = {
        {"an illegal parameter",
         0,
         ":0 @5 l8 [0 c d e f ]\n  \tv200\n",
         false,
         {CompileMessage{file, 2, 4, "Illegal parameter in 2.", 1}}},
        {"a loop left open", 0, "#1 c\n[3 d\n  e", false, {CompileMessage{file, 3, 3, "Loop still open in 3.", 2}}},
        {"no place named", 0, "/ nothing", false, {CompileMessage{file, 0, 0, "Empty effective track.", 3}}},
        {"the error fixed", 0, ":0 @5 l8 [0 g a b ]\n", true, {frontend::ReloadDone{file}}},
        {"an error only the session's switch lets through",
         1,
         ":0 @5 [0 c ]\n\\1 v999\n",
         false,
         {CompileMessage{file, 2, 4, "Illegal parameter in 2.", 5}}},
        {"the same text without the switch", 0, ":0 @5 [0 c ]\n\\1 v999\n", true, {frontend::ReloadDone{file}}},
        {"an image the engine refuses", 0, "QORSZEM:c d e", false, {frontend::ReloadRefused{}}},
    };
    for (const auto& step : steps) {
        s.setCompileSwitches(step.switches);
        f.dir.write("song.kvt", step.text);
        EXPECT_EQ(s.reload(), step.taken) << step.what;
        const frontend::MessageBatch batch = s.takeMessages();
        EXPECT_EQ(batch.messages, step.reported)
            << step.what << ": " << testing::PrintToString(frontend_test::paneLines(batch));
        EXPECT_EQ(s.snapshot().state, PlayerState::Playing) << step.what << ": the song plays on";
    }
}

// Bar and beat are published as numbers beside the step display made of
// them, from 0:0 before the first tick.
TEST(Session, BarAndBeatAreNumbersBesideTheStepDisplay)
{
    Fixture f;
    frontend::Session& s = f.play("T400 :0 @5 l8 [0 c d e f ]\n");
    EXPECT_EQ(s.snapshot().step, "0:000:0000");
    EXPECT_EQ(s.snapshot().bar, 0u);
    EXPECT_EQ(s.snapshot().beat, 0u);
    std::vector<frontend::Snapshot> seen;
    ASSERT_TRUE(f.waitUntil([&seen](const frontend::Snapshot& snap) {
        if (seen.empty() || seen.back().step != snap.step) seen.push_back(snap);
        return snap.bar >= 3;
    }));
    s.stop();
    ASSERT_GT(seen.size(), 4u);
    for (const frontend::Snapshot& snap : seen) {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%u:%3.3u:", snap.bar, snap.beat);
        EXPECT_EQ(snap.step.rfind(prefix, 0), 0u) << snap.step << " with bar " << snap.bar << " beat " << snap.beat;
    }
}

} // namespace

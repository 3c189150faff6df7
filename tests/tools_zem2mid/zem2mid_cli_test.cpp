// zem2mid and zem2midw run for real: the exported files read back by an
// independent reader (mido), loop/delay/fade and device switches, output
// names and backups, messages and exit codes.
#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {

using zem_test::runProgram;
using zem_test::TempDir;

// Compiles name.kvt holding text into name.ZEM.
void compile(const TempDir& dir, const std::string& name, const std::string& text)
{
    dir.write(name + ".kvt", text);
    const auto result = runProgram("zemc", {name}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
}

// a.ZEM of "c" beside an older export `name`, last written at 23:59:59
// local time on the given day, so that the next second begins a new day.
void compileBesideOlderExport(const TempDir& dir, const std::string& name, int year, int month, int day)
{
    compile(dir, "a", "c");
    dir.write(name, "an older export");
    ASSERT_TRUE(zem_test::setLocalMtime(dir.file(name), year, month, day, 23, 59, 59));
}

zem_test::RunResult zem2mid(const TempDir& dir, const std::vector<std::string>& args)
{
    return runProgram("zem2mid", args, dir.path());
}

// mido's view of a MIDI file, one line per event.
std::vector<std::string> midoEvents(const std::string& path)
{
    const std::string command = "/usr/bin/python3 " ZEM_SOURCE_DIR "/tests/tools_zem2mid/mido_events.py '" + path +
                                "' 2>&1";
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return lines;
    char buffer[512];
    std::string line;
    while (fgets(buffer, sizeof buffer, pipe)) {
        line += buffer;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            lines.push_back(line);
            line.clear();
        }
    }
    pclose(pipe);
    return lines;
}

std::vector<std::string> withoutGeneratorText(std::vector<std::string> lines)
{
    std::erase_if(lines, [](const std::string& l) { return l.find("Played by") != std::string::npos; });
    return lines;
}

TEST(Zem2midExport, IndependentReaderSeesTheSong)
{
    TempDir dir;
    compile(dir, "song",
            "#0 ;Intro\n"
            "T150 @5 v90 l8 c d K-8192 e K8191\n"
            "${F04110421240007F00**F7}\n"
            "#1 :2 @33 p32 o3 c4 r4 e4\n");
    const auto result = zem2mid(dir, {"song"});
    ASSERT_EQ(result.status, 0) << result.err;
    // T150 is 2133/256 ms per tick: 399937.5 us per quarter, rounded up.
    const std::vector<std::string> expected = {
        "type 1 ticks 48 tracks 2",
        "0 0: MetaMessage('text', text='Intro', time=0)",
        "0 0: MetaMessage('set_tempo', tempo=399938, time=0)",
        "0 0: program_change channel=0 program=4 time=0",
        "0 0: control_change channel=0 control=7 value=90 time=0",
        "0 0: note_on channel=0 note=60 velocity=127 time=0",
        "0 24: note_on channel=0 note=60 velocity=0 time=0",
        "0 24: note_on channel=0 note=62 velocity=127 time=0",
        "0 48: note_on channel=0 note=62 velocity=0 time=0",
        "0 48: pitchwheel channel=0 pitch=-8192 time=0",
        "0 48: note_on channel=0 note=64 velocity=127 time=0",
        "0 72: note_on channel=0 note=64 velocity=0 time=0",
        "0 72: pitchwheel channel=0 pitch=8191 time=0",
        "0 72: sysex data=(65,16,66,18,64,0,127,0,65) time=0",
        "0 72: MetaMessage('end_of_track', time=0)",
        "1 0: program_change channel=2 program=32 time=0",
        "1 0: control_change channel=2 control=10 value=32 time=0",
        "1 0: note_on channel=2 note=48 velocity=127 time=0",
        "1 48: note_on channel=2 note=48 velocity=0 time=0",
        "1 96: note_on channel=2 note=52 velocity=127 time=0",
        "1 144: note_on channel=2 note=52 velocity=0 time=0",
        "1 144: MetaMessage('end_of_track', time=0)",
    };
    EXPECT_EQ(withoutGeneratorText(midoEvents(dir.file("song.MID"))), expected);
}

// Readers assume 500,000 us per quarter note until a tempo event; a song
// that starts at another tempo says so at tick 0, once.
TEST(Zem2midExport, StartTempoWhereReadersWouldAssumeAnother)
{
    const struct {
        const char* name;
        const char* text;
        std::vector<std::string> tempos;
    } cases[] = {
        {"no tempo: 120 bpm of 192 ticks is 500062.5 us",
         "c\n",
         {"0 0: MetaMessage('set_tempo', tempo=500063, time=0)"}},
        {"T120 changes nothing", "T120 c\n", {"0 0: MetaMessage('set_tempo', tempo=500063, time=0)"}},
        {"timebase 256 starts at exactly 500000 us", "%256 c\n", {}},
        {"a tempo of the song at tick 0 replaces it",
         "T150 c\n",
         {"0 0: MetaMessage('set_tempo', tempo=399938, time=0)"}},
        {"a later tempo comes after it",
         "c T150 d\n",
         {"0 0: MetaMessage('set_tempo', tempo=500063, time=0)",
          "0 48: MetaMessage('set_tempo', tempo=399938, time=0)"}},
        {"set in another track, reported in the first tick",
         "#1 T150 c\n#0 c\n",
         {"0 0: MetaMessage('set_tempo', tempo=399938, time=0)"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        compile(dir, "song", c.text);
        const auto result = zem2mid(dir, {"song"});
        ASSERT_EQ(result.status, 0) << c.name << ": " << result.err;
        std::vector<std::string> tempos = midoEvents(dir.file("song.MID"));
        std::erase_if(tempos, [](const std::string& l) { return l.find("set_tempo") == std::string::npos; });
        EXPECT_EQ(tempos, c.tempos) << c.name;
    }
}

// The first and last volume written after the loop passes, the number of
// volume events, and the tick of the last note-off.
struct FadeSummary {
    std::vector<int> volumes;
    int lastTick = -1;
};

FadeSummary summarise(const std::vector<std::string>& lines)
{
    FadeSummary s;
    for (const std::string& line : lines) {
        int track, tick, value;
        if (std::sscanf(line.c_str(), "%d %d: control_change channel=0 control=7 value=%d", &track, &tick, &value) == 3)
            s.volumes.push_back(value);
        if (std::sscanf(line.c_str(), "%d %d: MetaMessage('end_of_track'", &track, &tick) == 2) s.lastTick = tick;
    }
    return s;
}

TEST(Zem2midExport, LoopDelayAndFade)
{
    // 120 beats per minute at timebase 192: a quarter note is 48 ticks and
    // 500 ms, so 96 ticks pass per second.
    TempDir dir;
    compile(dir, "loop", "T120 v100 [0 c4 ]\n");
    struct Case {
        std::vector<std::string> switches;
        int endTick;            // where the file ends (±2 ticks)
        size_t minVolumeEvents; // the initial volume plus the fade's re-sends
        bool fades;
    };
    const std::vector<Case> cases = {
        // Two passes (1 s), 1 s delay, 9 s fade.
        {{}, 96 * 11, 90, true},
        // One pass, no delay, a fade of 1 s.
        {{"-L1", "-D0", "-F999"}, 48 + 96, 50, true},
        // -F0: a fade of 1 ms releases at once after the delay.
        {{"-L1", "-D500", "-F0"}, 48 + 48, 1, false},
        // -Z leaves the endless loop after its first pass: no fade.
        {{"-Z"}, 48, 1, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.switches;
        args.push_back("loop");
        std::remove(dir.file("loop.MID").c_str());
        const auto result = zem2mid(dir, args);
        ASSERT_EQ(result.status, 0) << result.err;
        const FadeSummary s = summarise(midoEvents(dir.file("loop.MID")));
        const std::string label = c.switches.empty() ? "defaults" : c.switches[0];
        EXPECT_NEAR(s.lastTick, c.endTick, 2) << label;
        ASSERT_GE(s.volumes.size(), c.minVolumeEvents) << label;
        EXPECT_EQ(s.volumes.front(), 100) << label;
        if (c.fades) {
            for (size_t i = 1; i < s.volumes.size(); ++i) EXPECT_LT(s.volumes[i], s.volumes[i - 1]) << label;
            EXPECT_LE(s.volumes.back(), 1) << label;
        } else {
            EXPECT_EQ(s.volumes.size(), 1u) << label;
        }
    }
}

TEST(Zem2midExport, DeviceMaskSelectsPorts)
{
    TempDir dir;
    compile(dir, "ports", ";hello\nT100 c :0,1 d\n");
    struct Case {
        const char* mask;
        std::vector<std::string> notes; // keys of the note-ons written
    };
    const std::vector<Case> cases = {{"-M1", {"60"}}, {"-M2", {"62"}}, {"-M3", {"60", "62"}}, {"-M0", {}}};
    for (const Case& c : cases) {
        std::remove(dir.file("ports.MID").c_str());
        ASSERT_EQ(zem2mid(dir, {c.mask, "ports"}).status, 0);
        std::vector<std::string> notes;
        bool text = false, tempo = false;
        for (const std::string& line : midoEvents(dir.file("ports.MID"))) {
            const size_t at = line.find("note_on channel=0 note=");
            if (at != std::string::npos && line.find("velocity=127") != std::string::npos)
                notes.push_back(line.substr(at + 23, 2));
            text = text || line.find("text='hello'") != std::string::npos;
            tempo = tempo || line.find("set_tempo") != std::string::npos;
        }
        EXPECT_EQ(notes, c.notes) << c.mask;
        EXPECT_TRUE(text && tempo) << c.mask << ": metas are written whatever the mask";
    }
}

TEST(Zem2midCli, MessagesExitCodesAndBackups)
{
    const std::string banner = "ZEM2MID for Win32 ver 05/07";
    const std::vector<zem_test::ProgramCase> cases = {
        {"zem2mid", {"-Q", "a"}, banner + ": Illegal option.\n", 1, {}},
        {"zem2mid", {"-L2x-Q", "a"}, "", 0, {"a.MID"}},
        {"zem2midw", {"-L2x", "a"}, banner + ": Illegal option.\n", 1, {}},
        {"zem2mid", {"nosuch", "a"}, "@/nosuch.ZEM: File not found\n", 1, {"a.MID"}},
        {"zem2mid", {"junk.zem"}, "@/junk.zem: ZEM format error.\n", 1, {}},
        {"zem2mid", {"aux.zem"}, "@/aux.zem: CON\\CON-Proof affected.\n", 1, {}},
        {"zem2midw", {"-L1-D0", "a"}, "", 0, {"a.MID"}},
        {"zem2midw", {"-L1/D0", "a"}, banner + ": Illegal option.\n", 1, {}},
    };
    for (const zem_test::ProgramCase& c : cases) {
        TempDir dir;
        compile(dir, "a", "c d e");
        dir.write("junk.zem", "not an image at all, but longer than the header");
        zem_test::expectProgramCase(dir, c);
    }
}

TEST(Zem2midCli, ExistingOutputIsKeptAsBackup)
{
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(compileBesideOlderExport(dir, "a.MID", 2023, 12, 31));
    dir.write("a_20231231235959.MID", "an even older one");
    ASSERT_EQ(zem2mid(dir, {"a"}).status, 0);
    EXPECT_EQ(dir.read("a_20240101000000.MID"), "an older export");
    EXPECT_EQ(dir.read("a_20231231235959.MID"), "an even older one");
    EXPECT_EQ(dir.read("a.MID").substr(0, 4), "MThd");
}

TEST(Zem2midCli, NoExistingFileIsLost)
{
    // a.mid is the output in another letter case; x.mid is an image whose
    // output would be the image itself.
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(compileBesideOlderExport(dir, "a.mid", 2024, 2, 29));
    dir.write("x.kvt", "c");
    ASSERT_EQ(runProgram("zemc", {"-S.mid", "x"}, dir.path()).status, 0);
    const std::string image = dir.read("x.mid");

    const auto result = zem2mid(dir, {"a", "x.mid"});
    EXPECT_EQ(result.err, dir.file("x.mid") + ": File cannot write\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(dir.listing(),
              (std::vector<std::string>{"a.ZEM", "a.kvt", "a.mid", "a_20240229235959.mid", "x.kvt", "x.mid"}));
    EXPECT_EQ(dir.read("a_20240229235959.mid"), "an older export");
    EXPECT_EQ(dir.read("a.mid").substr(0, 4), "MThd");
    EXPECT_EQ(dir.read("x.mid"), image);
}

TEST(Zem2midCli, BannerUsageAndNotice)
{
    TempDir dir;
    const auto usage = zem2mid(dir, {});
    EXPECT_EQ(usage.status, 0);
    EXPECT_EQ(usage.out.rfind("ZEM2MID for Win32 ver 05/07\n\nusage\n> zem2mid [sw] ZEMfile", 0), 0u) << usage.out;
    EXPECT_NE(usage.out.find(" -O       off-velocity enable\n"), std::string::npos);
    const auto notice = runProgram("zem2midw", {}, dir.path(), {"DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(notice.status, 0);
    EXPECT_EQ(notice.out, "");
    EXPECT_EQ(notice.err.rfind("ZEM2MID for Win32 \xE4\xB9\x99", 0), 0u) << notice.err;
    EXPECT_TRUE(dir.listing().empty());
}

} // namespace

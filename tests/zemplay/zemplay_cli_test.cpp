// zemplay end to end: a whole score through SDL's disk driver, errors on the
// command line and in the score, and Ctrl-C leaving no note sounding.
#include <deadline.h>
#include <run_program.h>
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <thread>

namespace {

const std::string kDemo = std::string(ZEM_SOURCE_DIR) + "/examples/demo.kvt";

// Each run has a deadline of its own, far above its usual few seconds (and
// a sanitizer's slowdown): a hang fails its test, not the whole suite.
constexpr auto kDeadline = std::chrono::seconds(40);

zem_test::RunResult runZemplay(const std::vector<std::string>& args, const std::string& cwd,
                               const std::vector<std::string>& env = {})
{
    return zem_test::runProgram("zemplay", args, cwd, env, 0, zem_test::killAfter(kDeadline));
}

// The disk driver without its pause per buffer: the song follows the audio
// clock, so it plays to its end many times faster than real time.
std::vector<std::string> fastDisk(const zem_test::TempDir& dir)
{
    return {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIODELAY=0", "SDL_DISKAUDIOFILE=" + dir.file("sound.raw")};
}

TEST(ZemplayCli, PlaysTheDemoToItsEnd)
{
    const zem_test::TempDir dir;
    const auto run = runZemplay({"-L1", kDemo}, dir.path(), fastDisk(dir));
    EXPECT_EQ(run.status, 0) << run.err;
    // The demo runs past one minute before its endless coda.
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("sound.raw").c_str(), &info), 0);
    EXPECT_GT(info.st_size, 60 * 44100 * 4);
    // Its section names are text events, shown as lines.
    EXPECT_NE(run.err.find("Coda"), std::string::npos) << run.err;
}

TEST(ZemplayCli, APieceWithoutNotesEndsWithSuccess)
{
    const zem_test::TempDir dir;
    for (const char* score : {";text only\n", "T300 r64 ;t\n", "Y7,100\n"}) {
        dir.write("quiet.kvt", score);
        const auto run = runZemplay({"quiet.kvt"}, dir.path(), fastDisk(dir));
        EXPECT_EQ(run.status, 0) << score << "\n" << run.err;
    }
}

struct ErrorCase {
    const char* name;
    std::string score; // written to bad.kvt when not empty
    std::vector<std::string> args;
    int status;
    std::string err; // a line standard error must hold
};

TEST(ZemplayCli, FailuresExitNonZeroWithTheirReason)
{
    const std::vector<ErrorCase> cases = {
        {"compile error", "c d e\n[c d\n", {"bad.kvt"}, 1, "/bad.kvt: Loop still open in 2.\n"},
        {"error on line 3", "c\nd\n]\n", {"bad.kvt"}, 1, "/bad.kvt: Out of loop in 3.\n"},
        {"missing file", "", {"missing.zem"}, 1, "zemplay: error:File cannot load\n"},
        {"folder as score", "", {"folder.kvt"}, 1, "zemplay: error:File cannot load\n"},
        {"FIFO as score", "", {"fifo.kvt"}, 1, "zemplay: error:File cannot load\n"},
        {"MIDI file cut short",
         "",
         {"short.mid"},
         1,
         "/short.mid: Not have enough size.\nzemplay: error:File cannot load\n"},
        {"damaged image", "", {"empty.zem"}, 1, "zemplay: dp_const() failed\n"},
        {"unknown port", "c\n", {"-p", "No Such Port", "bad.kvt"}, 1, "Dev00: [error]No Such Port\n"},
        {"no file", "", {}, 2, "zemplay: no file\n"},
        {"bad loop count", "", {"-L", "x", "a.kvt"}, 2, "zemplay: illegal loop count: x\n"},
        {"bad switches", "", {"-F", "&1G", "a.kvt"}, 2, "zemplay: illegal switches: &1G\n"},
        {"unknown option", "", {"-x", "1", "a.kvt"}, 2, "zemplay: unknown option -x\n"},
    };
    for (const ErrorCase& c : cases) {
        const zem_test::TempDir dir;
        if (!c.score.empty()) dir.write("bad.kvt", c.score);
        dir.write("empty.zem", "QORSZEM:"); // the magic and nothing after it
        dir.write("short.mid", "MThd\0\0");
        ::mkdir(dir.file("folder.kvt").c_str(), 0755);
        ::mkfifo(dir.file("fifo.kvt").c_str(), 0644);
        const auto run = runZemplay(c.args, dir.path(), fastDisk(dir));
        EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.name << "\n" << run.err;
    }
}

TEST(ZemplayCli, HelpAndVersion)
{
    const zem_test::TempDir dir;
    const auto help = runZemplay({"--help"}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: zemplay [-F switches] [-p PORT] [-L loops] [--from LINE[:COL] | --at BAR[:BEAT]]\n"
                             "               [--follow] FILE\n",
                             0),
              0u)
        << help.out;
    EXPECT_NE(help.out.find("0 plays for ever"), std::string::npos) << help.out;
    const auto version = runZemplay({"--version"}, dir.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zemplay 0.47\n");
}

TEST(ZemplayCli, ListsTheBuiltInSynthesizerFirst)
{
    const zem_test::TempDir dir;
    const auto run = runZemplay({"--list"}, dir.path(), {"ZEM_MIDI_RECORD=" + dir.file("r")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("-1: Built-in Synthesizer\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(": MIDI Recorder\n"), std::string::npos) << run.out;
}

// Which notes and pedals a recorded message stream leaves on.
struct Sounding {
    std::map<int, int> notes;  // (channel << 8 | key) -> count of note-ons not yet ended
    std::map<int, int> pedals; // (channel << 8 | controller) -> value
    int noteOns = 0;
};

Sounding replay(const std::string& record)
{
    Sounding s;
    std::istringstream lines(record);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        unsigned long long time = 0;
        unsigned status = 0, data1 = 0, data2 = 0;
        words >> time >> std::hex >> status >> data1 >> data2;
        const int channel = int(status & 15);
        const int key = channel << 8 | int(data1);
        if ((status & 0xF0) == 0x90 && data2 > 0) {
            s.notes[key] = 1;
            ++s.noteOns;
        } else if ((status & 0xF0) == 0x80 || (status & 0xF0) == 0x90) {
            s.notes[key] = 0;
        } else if ((status & 0xF0) == 0xB0 && (data1 == 64 || data1 == 66 || data1 == 69)) {
            s.pedals[key] = int(data2);
        }
    }
    return s;
}

TEST(ZemplayCli, InterruptReleasesEveryNote)
{
    // Long chords under held sustain, sostenuto and hold pedals on two
    // channels: whenever the interrupt comes, something sounds.
    const zem_test::TempDir dir;
    dir.write("held.kvt", ":0 @49 Y64,127 Y66,127 Y69,127 [4 'c e g'1 'c f a'1 ]\n"
                          "#1 :1 @33 Y64,127 o2 [8 c1 ]\n");
    const std::string record = dir.file("record.txt");
    const std::string binary = std::string(ZEM_BIN_DIR) + "/zemplay";
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("ZEM_MIDI_RECORD", record.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        freopen("/dev/null", "r", stdin);
        freopen("/dev/null", "w", stderr);
        execl(binary.c_str(), binary.c_str(), "-p", "MIDI Recorder", dir.file("held.kvt").c_str(),
              static_cast<char*>(nullptr));
        _exit(98);
    }
    // Interrupt in the middle of the music, once notes have been sounding.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (replay(zem_test::readFile(record)).noteOns < 7 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGINT);
    EXPECT_TRUE(zem_test::endsWithin(pid, kDeadline));
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);

    const Sounding s = replay(zem_test::readFile(record));
    EXPECT_GE(s.noteOns, 7);
    EXPECT_EQ(s.pedals.size(), 4u); // every pedal was pressed, so each release is checked
    for (const auto& [key, on] : s.notes) EXPECT_EQ(on, 0) << "channel " << (key >> 8) << " key " << (key & 255);
    for (const auto& [key, value] : s.pedals)
        EXPECT_EQ(value, 0) << "channel " << (key >> 8) << " controller " << (key & 255);
}

// A score of 256 tracks over about 5 MB: compiling it takes many seconds.
std::string slowScore()
{
    std::string bars;
    for (int i = 0; i < 1000; ++i) bars += "c d e f g a b > c < ";
    std::string score;
    for (int track = 0; track < 256; ++track) score += "#" + std::to_string(track) + " T120 l16 " + bars + "\n";
    return score;
}

TEST(ZemplayCli, StopsAtOnceWhileCompiling)
{
    const zem_test::TempDir dir;
    dir.write("slow.kvt", slowScore());
    for (const int signal : {SIGINT, SIGTERM}) {
        bool endedInTime = false;
        const auto run = zem_test::runProgram("zemplay", {"slow.kvt"}, dir.path(), fastDisk(dir), 0, [&](pid_t pid) {
            // Long enough to be past the start-up, far from the compile's end.
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            kill(pid, signal);
            endedInTime = zem_test::endsWithin(pid, std::chrono::seconds(2));
        });
        EXPECT_TRUE(endedInTime) << strsignal(signal);
        EXPECT_EQ(run.status, 130) << strsignal(signal) << "\n" << run.err;
    }
}

TEST(ZemplayCli, NamesAndTextsReachTheTerminalWithoutControls)
{
    const zem_test::TempDir dir;
    // A score whose title would set the terminal's title, under a name that
    // would too, with a compile error so that the name is printed.
    const std::string name = "x\x1b]2;OWNED\x07.kvt";
    dir.write(name, "#0 ?3{1b5d323b4f574e45441b5c} T120 l4 c\n[c d\n");
    const auto run = runZemplay({name}, dir.path(), fastDisk(dir));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("/x?]2;OWNED?.kvt: Loop still open in 2.\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
}

// One quarter note, key 60, on channel 0, as a format 0 file.
std::string oneNoteMidiFile()
{
    using namespace std::string_literals;
    return "MThd\0\0\0\x06\0\0\0\x01\0\x60"s + "MTrk\0\0\0\x0C"s + "\0\x90\x3C\x64"s + "\x60\x80\x3C\x40"s +
           "\0\xFF\x2F\0"s;
}

TEST(ZemplayCli, PlaysAStandardMidiFile)
{
    const zem_test::TempDir dir;
    dir.write("tune.MID", oneNoteMidiFile());
    std::vector<std::string> env = fastDisk(dir);
    env.push_back("ZEM_MIDI_RECORD=" + dir.file("record.txt"));
    const auto run = runZemplay({"-p", "MIDI Recorder", "tune.MID"}, dir.path(), env);
    EXPECT_EQ(run.status, 0) << run.err;
    const Sounding s = replay(zem_test::readFile(dir.file("record.txt")));
    EXPECT_EQ(s.noteOns, 1) << run.err;
    EXPECT_EQ(s.notes.count(0x3C), 1u) << "key 60 on channel 0";
}

} // namespace

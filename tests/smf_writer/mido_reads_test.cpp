// An independent reader (python3-mido) parses files made by the writer and
// must see the events that were written, with their ticks.
#include "smf/smf_file.h"
#include "util/fileset.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr char kPython[] = "/usr/bin/python3";

// One line per message: the track, then mido's text of channel messages
// and SysEx, or the type, time and value of meta messages.
constexpr char kDumpScript[] = R"(import sys, mido
f = mido.MidiFile(sys.argv[1])
print('type', f.type, 'ticks', f.ticks_per_beat)
for n, track in enumerate(f.tracks):
    for m in track:
        if not m.is_meta:
            print(n, m)
        elif m.type == 'set_tempo':
            print(n, 'set_tempo', m.tempo, 'time=%d' % m.time)
        elif m.type == 'text':
            print(n, 'text', len(m.text), m.text[:3], 'time=%d' % m.time)
        else:
            print(n, m.type, 'time=%d' % m.time)
)";

bool have_mido()
{
    return access(kPython, X_OK) == 0 && std::system("/usr/bin/python3 -c 'import mido' 2>/dev/null") == 0;
}

std::string run_dump(const fs::path& script, const fs::path& midi)
{
    const std::string command = std::string(kPython) + " '" + script.string() + "' '" + midi.string() + "'";
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

struct MidoCase {
    const char* name;
    bool off_velocity;
    std::function<void(smf::TrackWriter&)> track1;
    std::string expected_track1;
};

std::vector<MidoCase> mido_cases()
{
    constexpr smf::FadeState kNoFade{9000, 9000, false};
    return {
        {"channel_messages", false,
         [=](smf::TrackWriter& w) {
             w.note_on(0, 60, 100);
             w.add_ticks(48);
             w.note_on(0, 64, 90);
             w.add_ticks(48);
             w.note_off(0, 60, 64);
             w.note_off(0, 64, 64);
             w.program_change(1, 5);
             w.control_change(0, 1, 7, 100, kNoFade);
             w.control_change(0, 1, 10, 0, kNoFade);
             w.pitch_bend(2, -8192);
             w.add_ticks(1);
             w.pitch_bend(2, 8191);
             w.key_pressure(3, 60, 20);
             w.channel_pressure(3, 30);
             w.end_of_track(false);
         },
         "1 note_on channel=0 note=60 velocity=100 time=0\n"
         "1 note_on channel=0 note=64 velocity=90 time=48\n"
         "1 note_on channel=0 note=60 velocity=0 time=48\n"
         "1 note_on channel=0 note=64 velocity=0 time=0\n"
         "1 program_change channel=1 program=5 time=0\n"
         "1 control_change channel=1 control=7 value=100 time=0\n"
         "1 control_change channel=1 control=10 value=0 time=0\n"
         "1 pitchwheel channel=2 pitch=-8192 time=0\n"
         "1 pitchwheel channel=2 pitch=8191 time=1\n"
         "1 polytouch channel=3 note=60 value=20 time=0\n"
         "1 aftertouch channel=3 value=30 time=0\n"
         "1 end_of_track time=0\n"},
        {"off_velocity", true,
         [](smf::TrackWriter& w) {
             w.note_on(9, 36, 127);
             w.add_ticks(1000);
             w.note_off(9, 36, 33);
             w.add_ticks(70);
             w.end_of_track(true);
         },
         "1 note_on channel=9 note=36 velocity=127 time=0\n"
         "1 note_off channel=9 note=36 velocity=33 time=1000\n"
         "1 end_of_track time=70\n"},
        {"sysex_and_long_text", false,
         [](smf::TrackWriter& w) {
             const uint8_t gs[] = {0xF0, 0x41, 0x10, 0x42, 0xF7};
             w.add_ticks(5);
             w.sysex(gs, sizeof gs);
             const std::string text(300, 'x');
             w.add_ticks(7);
             w.text(reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size()));
             w.end_of_track(false);
         },
         "1 sysex data=(65,16,66) time=5\n"
         "1 text 255 xxx time=7\n"
         "1 text 45 xxx time=0\n"
         "1 end_of_track time=0\n"},
    };
}

class MidoReadsTest : public ::testing::TestWithParam<MidoCase> {
protected:
    void SetUp() override
    {
        if (!have_mido())
            GTEST_SKIP() << "python3-mido not installed";
        char pattern[] = "/tmp/smf_mido_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ / "dump.py") << kDumpScript;
    }
    void TearDown() override
    {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }
    fs::path dir_;
};

TEST_P(MidoReadsTest, SeesTheWrittenEvents)
{
    const MidoCase& c = GetParam();
    const fs::path midi = dir_ / "out.mid";
    util::FILESET* out = util::fs_create();
    util::fs_set_path(out, midi.c_str(), nullptr);
    util::fs_create_file(out, 0x80);
    util::fs_open(out, util::FileMode::Write);
    smf::TrackWriter w(c.off_velocity);
    smf::begin_file(out);
    w.tempo(2667, 192);
    w.end_of_track(false);
    smf::write_track(out, w);
    w.begin_track();
    c.track1(w);
    smf::write_track(out, w);
    smf::finish_file(out, 2, 48);
    util::fs_free(out);

    const std::string expected = "type 1 ticks 48\n"
                                 "0 set_tempo 500063 time=0\n"
                                 "0 end_of_track time=0\n"
        + c.expected_track1;
    EXPECT_EQ(run_dump(dir_ / "dump.py", midi), expected);
}

INSTANTIATE_TEST_SUITE_P(Files, MidoReadsTest, ::testing::ValuesIn(mido_cases()),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace

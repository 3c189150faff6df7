// Every export ends: a song whose loop count never comes is stopped after
// the song time limit, with its notes released and the error raised; a track
// stopped for good no longer keeps zem2mid running.
#include "compile_image.h"
#include "run_program.h"
#include "temp_dir.h"

#include "host/song_playback.h"
#include "util/uerr.h"
#include "zem2mid/midi_file_sink.h"

#include <gtest/gtest.h>

namespace {

using zem2mid::MidiFileSink;

// Counts note-ons and note-offs of the whole song.
class NoteCounter : public MidiFileSink {
public:
    NoteCounter() : MidiFileSink(false) {}
    util::ErrCode channelMessage(int port, int track, const host::ChannelMessage& message,
                                 const host::FadeState& fade) override
    {
        if (message.kind == host::ChannelKind::NoteOn) ++sounding;
        if (message.kind == host::ChannelKind::NoteOff) --sounding;
        return MidiFileSink::channelMessage(port, track, message, fade);
    }
    void unitPassed() override { ++units; }
    int sounding = 0;
    uint32_t units = 0;
};

TEST(Zem2midExportEnds, SongTimeLimitStopsWhatNeverEnds)
{
    struct LimitCase {
        const char* name;
        std::string text;
        bool cut; // else the song ends by itself, before the limit
    };
    const LimitCase cases[] = {
        {"a track waiting for years", "#0 [0 c ]\n#1 c r*268435455 c\n", true},
        {"loops nested past any end", "#0 [0 c ]\n#1 c [255 [255 [255 [255 y1,1 ] ] ] ] c\n", true},
        {"a song that ends in time", "c d e\n", false},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> image = zem2mid_test::compile(c.text);
        ASSERT_FALSE(image.empty()) << c.name;
        host::PlaybackSettings settings;
        settings.songTimeLimitMs = 5000;
        NoteCounter sink;
        host::SongPlayback song(image.data(), image.size(), settings, sink);
        util::ErrCode raised = 0;
        try {
            song.play();
        } catch (const util::UerrRaised& e) {
            raised = e.code;
        }
        EXPECT_EQ(raised, c.cut ? host::kErrSongTooLong : 0) << c.name;
        if (c.cut)
            EXPECT_EQ(sink.units, settings.songTimeLimitMs) << c.name;
        else
            EXPECT_LT(sink.units, settings.songTimeLimitMs) << c.name;
        EXPECT_EQ(sink.sounding, 0) << c.name << ": every note released";
    }
}

TEST(Zem2midExportEnds, TrackStoppedForGoodStillFades)
{
    zem_test::TempDir dir;
    dir.write("stop.kvt", "#0 [0 c ]\n#1 c H c\n");
    ASSERT_EQ(zem_test::runProgram("zemc", {"stop"}, dir.path()).status, 0);
    // Before, the export never ended; the song time limit would now stop it
    // with an error.
    const auto result = zem_test::runProgram("zem2mid", {"stop"}, dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(dir.read("stop.MID").empty());
}

} // namespace

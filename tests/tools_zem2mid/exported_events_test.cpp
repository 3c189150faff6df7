// The channel messages a short score exports, tick by tick: exact rows for
// behaviour that only shows in the events themselves.
#include "compile_image.h"
#include "zem2mid/midi_file_sink.h"

#include "host/song_playback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "TICK KIND DATA1 DATA2" for every controller, pressure and bend message.
class EventRows : public zem2mid::MidiFileSink {
public:
    EventRows() : MidiFileSink(false) {}
    void tickPassed() override
    {
        ++tick_;
        MidiFileSink::tickPassed();
    }
    util::ErrCode channelMessage(int port, int track, const host::ChannelMessage& m,
                                 const host::FadeState& fade) override
    {
        using K = host::ChannelKind;
        const char* kind = m.kind == K::Controller        ? "ctrl"
                           : m.kind == K::ChannelPressure ? "chanp"
                           : m.kind == K::PitchBend       ? "bend"
                                                          : nullptr;
        if (kind)
            rows.push_back(std::to_string(tick_) + " " + kind + " " + std::to_string(m.data1) + " " +
                           std::to_string(m.data2));
        return MidiFileSink::channelMessage(port, track, m, fade);
    }
    std::vector<std::string> rows;

private:
    uint32_t tick_ = 0;
};

TEST(Zem2midExportedEvents, SetterDuringASlidesUpdateIntervalOnlyCountsDown)
{
    struct RowCase {
        const char* name;
        const char* song;
        std::vector<std::string> rows;
    };
    const RowCase cases[] = {
        // An update every 100 ticks: the setter at tick 48 finds the slide
        // waiting, so only its own value is sent.
        {"channel pressure", "=0,100 Z68,4 Z62\n", {"1 chanp 1 0", "48 chanp 62 0"}},
        {"controller", "Y7,100 =0,100 V0,4 V5\n", {"0 ctrl 7 100", "1 ctrl 7 98", "48 ctrl 7 5"}},
        // The slide's length has passed, its last update still waiting.
        {"later setter", "=0,100 Z68,4 r8 Z62\n", {"1 chanp 1 0", "72 chanp 62 0"}},
        // The countdown has run out by the setter's tick: the update is
        // due, so the slide's goal goes out before the set value.
        {"update due", "=0,46 Z68,4 Z62\n", {"1 chanp 1 0", "48 chanp 68 0", "48 chanp 62 0"}},
    };
    for (const RowCase& c : cases) {
        const std::vector<uint8_t> image = zem2mid_test::compile(c.song);
        ASSERT_FALSE(image.empty()) << c.name;
        EventRows sink;
        host::SongPlayback song(image.data(), image.size(), host::PlaybackSettings{}, sink);
        song.play();
        EXPECT_EQ(sink.rows, c.rows) << c.name;
    }
}

} // namespace

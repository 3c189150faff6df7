// The exporter plays a song once and keeps every track's chunk.  Each chunk
// must hold exactly the bytes of a playback that keeps only that track, as
// the one-playback-per-track way of exporting gives them.
#include "compile_image.h"
#include "temp_dir.h"
#include "zem2mid/midi_file_sink.h"

#include "host/song_playback.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using zem2mid::MidiFileSink;
using zem2mid_test::compile;

// A sink that hears the whole song but writes one track only.
class OneTrackSink : public MidiFileSink {
public:
    OneTrackSink(bool offVelocity, int keep) : MidiFileSink(offVelocity), keep_(keep) {}

    util::ErrCode channelMessage(int port, int track, const host::ChannelMessage& message,
                                 const host::FadeState& fade) override
    {
        return track == keep_ ? MidiFileSink::channelMessage(port, track, message, fade) : 0;
    }
    util::ErrCode exclusive(int port, int track, const uint8_t* bytes, uint32_t count) override
    {
        return track == keep_ ? MidiFileSink::exclusive(port, track, bytes, count) : 0;
    }
    util::ErrCode text(int track, const uint8_t* bytes, uint32_t count) override
    {
        return track == keep_ ? MidiFileSink::text(track, bytes, count) : 0;
    }
    util::ErrCode tempo(uint32_t period) override { return keep_ == 0 ? MidiFileSink::tempo(period) : 0; }
    util::ErrCode meta(int track, int type, const uint8_t* payload, uint32_t count) override
    {
        return track == keep_ ? MidiFileSink::meta(track, type, payload, count) : 0;
    }

private:
    int keep_;
};

std::vector<uint8_t> renderedTrack(const std::vector<uint8_t>& image, const host::PlaybackSettings& settings,
                                   MidiFileSink& sink, int track)
{
    host::SongPlayback song(image.data(), image.size(), settings, sink);
    song.play();
    EXPECT_EQ(sink.finish(settings.ignoreEndlessLoops), 0u);
    return sink.track(track).events();
}

TEST(Zem2midOnePass, EveryChunkEqualsItsOwnPlayback)
{
    std::vector<std::pair<std::string, std::string>> songs;
    for (const auto& entry : std::filesystem::directory_iterator(ZEM_SOURCE_DIR "/examples")) {
        if (entry.path().extension() == ".kvt")
            songs.emplace_back(entry.path().filename().string(), zem_test::readFile(entry.path().string()));
    }
    songs.emplace_back("ports and an endless loop", "T140 V100 [0 c d :0,1 e :0,0 ]\n#1 :3 Y1,40 [0 g4 K500 a4 K0 ]\n");
    ASSERT_GE(songs.size(), 3u);

    host::PlaybackSettings fading;
    fading.loopCount = 1;
    fading.delayMs = 300;
    fading.fadeMs = 700;
    fading.deviceMask = 0x0003;
    host::PlaybackSettings ignoring;
    ignoring.ignoreEndlessLoops = true;

    for (const auto& [name, text] : songs) {
        const std::vector<uint8_t> image = compile(text);
        ASSERT_FALSE(image.empty()) << name;
        for (const host::PlaybackSettings& settings : {fading, ignoring}) {
            MidiFileSink all(false);
            host::SongPlayback song(image.data(), image.size(), settings, all);
            song.play();
            ASSERT_EQ(all.finish(settings.ignoreEndlessLoops), 0u) << name;
            for (int t = 0; t < song.trackCount(); ++t) {
                OneTrackSink one(false, t);
                EXPECT_EQ(renderedTrack(image, settings, one, t), all.track(t).events())
                    << name << ", track " << t << (settings.ignoreEndlessLoops ? ", -Z" : ", fading");
            }
        }
    }
}

} // namespace

// Every seed image of the engine's fuzz corpus played with the voice and
// stream callbacks present; the voice and stream seeds reach their layers.
#include "voice_recorder.h"

#include <gtest/gtest.h>

#include "temp_dir.h"
#include <filesystem>
#include <iterator>

using namespace zemtest;

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(ZEM_SOURCE_DIR) / "fuzz/corpus/engine_image";

// Plays an image to its end and closes it; the recorder keeps the log.
void play(VoiceRecorder& host, const std::vector<uint8_t>& image)
{
    dp_options o = host.allOptions();
    int error = 0;
    dp_player* p = dp_const(2, image.data(), image.size(), &o, sizeof o, host.user(), &error);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 20 && !p->finished(p); ++i) p->advance_units(p, 100, DP_NORMAL_SPEED);
    p->close(p);
}

TEST(EngineVoiceCorpus, EverySeedGivesBackWhatItTook)
{
    size_t seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
        VoiceRecorder host;
        host.hasSyncCallback = true;
        play(host, zem_test::readBytes(entry.path()));
        EXPECT_EQ(host.staleHandleUses, 0) << entry.path();
        EXPECT_TRUE(host.liveHandles.empty()) << entry.path();
        EXPECT_TRUE(host.liveBlocks.empty()) << entry.path();
        ++seeds;
    }
    EXPECT_GE(seeds, 2u);
}

TEST(EngineVoiceCorpus, VoiceAndStreamSeedsReachTheirLayers)
{
    struct Case {
        const char* file;
        std::vector<const char*> events;
    };
    const Case cases[] = {
        {"voice_layer.zem", {"load", "dup", "start", "stop", "volume", "pitch", "pan", "free"}},
        {"stream_slots.zem",
         {"open", "close", "play", "sstop", "svolume", "span", "spitch", "spos", "sposs", "sends", "sloop", "sloops",
          "sync"}},
    };
    for (const auto& c : cases) {
        VoiceRecorder host;
        host.hasSyncCallback = true;
        play(host, zem_test::readBytes(kCorpus / c.file));
        for (const char* e : c.events) EXPECT_FALSE(host.only({e}).empty()) << c.file << ": " << e;
    }
}

} // namespace

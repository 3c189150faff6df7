// Songs made of random voice and stream commands with random payloads: the
// host never sees a handle it did not give out or already freed, and reset
// and close give back every handle and every block.
#include "image_builder.h"
#include "voice_recorder.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <random>

using namespace zemtest;

namespace {

std::vector<uint8_t> randomBytes(std::mt19937& rng, unsigned count)
{
    std::vector<uint8_t> b(count);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

// One random command that reaches the voice layer or the stream slots.
Words randomCommand(std::mt19937& rng)
{
    auto pick = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
    switch (pick(9)) {
    case 0: return param(101, static_cast<uint16_t>(pick(4) == 0 ? 0 : 1 + pick(6)));
    case 1: return param(102, static_cast<uint16_t>(pick(3) << 7 | (60 + pick(3))));
    case 2: return param(100 + pick(34), static_cast<uint16_t>(rng()));
    case 3: return meta(0x80 + pick(0x13), randomBytes(rng, pick(30)));
    case 4: return meta(0x80, bytesOf("s"));
    case 5: return note(60 + pick(3), pick(5), false);
    case 6: return {zem::makeProgram(pick(3))};
    case 7: return {zem::kAllNotesOff};
    default: return wait(pick(4));
    }
}

TEST(EngineVoiceRandom, HandlesStayConsistent)
{
    const uint32_t seeds[] = {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233};
    size_t starts = 0, opens = 0;
    for (uint32_t seed : seeds) {
        std::mt19937 rng(seed);
        for (int song = 0; song < 20; ++song) {
            Words track = cat({tempo(256), param(100, 1), param(101, 3), meta(0x80, bytesOf("s"))});
            for (int i = 0; i < 80; ++i) track = cat({track, randomCommand(rng)});
            track = cat({track, wait(20), {zem::kEnd}});
            VoiceRecorder host;
            host.playingAnswer = static_cast<int>(rng() & 1);
            VoiceSession s(host, {{track}});
            s.units(40);
            s.units(40);
            starts += host.only({"start"}).size();
            opens += host.only({"open"}).size();
            s.player()->reset(s.player());
            EXPECT_TRUE(host.liveHandles.empty()) << seed << "/" << song << ": reset";
            EXPECT_EQ(host.liveBlocks.size(), 1u) << seed << "/" << song << ": reset";
            s.units(40);
            s.close();
            EXPECT_EQ(host.staleHandleUses, 0) << seed << "/" << song;
            EXPECT_TRUE(host.liveHandles.empty()) << seed << "/" << song << ": close";
            EXPECT_TRUE(host.liveBlocks.empty()) << seed << "/" << song << ": close";
        }
    }
    EXPECT_GT(starts, 100u) << "the songs reach the voices";
    EXPECT_GT(opens, 20u) << "the songs reach the stream slots";
}

} // namespace

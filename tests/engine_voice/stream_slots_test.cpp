// Stream slots on their own: open and close, fades, the fader payloads and
// the position texts.
#include "stream_position_text.h"
#include "stream_slots.h"
#include "voice_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zemplay;
using zemtest::VoiceRecorder;
using Lines = std::vector<std::string>;

namespace {

struct Fixture {
    VoiceRecorder rec;
    dp_options options = rec.allOptions();
    StreamHost host{&options, rec.user()};
    StreamSlots slots{};
    Fixture() { initStreamSlots(slots); }
    StreamSlot& slot(unsigned i) { return slots.slots[i]; }
    Lines take() { return rec.takeVoiceLog(); }
};

TEST(StreamSlots, FadeOutFromPartWayStillStops)
{
    Fixture f;
    playStream(f.host, f.slot(1), 1, 100);
    stepStreams(f.host, f.slots, 50);
    stopStream(f.host, f.slot(1), 1, 10);
    stepStreams(f.host, f.slots, 10);
    EXPECT_FALSE(f.slot(1).playing);
    EXPECT_EQ(f.take().back(), "sstop 1");
}

TEST(StreamSlots, PlayRefusedByTheHostLeavesTheSlotStopped)
{
    Fixture f;
    f.rec.answers["play"] = {{1, 5}};
    playStream(f.host, f.slot(0), 0, 0);
    EXPECT_FALSE(f.slot(0).playing);
    playStream(f.host, f.slot(0), 0, 0);
    EXPECT_TRUE(f.slot(0).playing);
}

TEST(StreamSlots, FaderPayloads)
{
    struct Case {
        StreamFader which;
        std::vector<uint8_t> bytes;
        int32_t value;
        uint32_t fade;
    };
    const Case cases[] = {
        {StreamFader::Volume, {}, 0x4000, 0},
        {StreamFader::Volume, {0x40}, 0x2000, 0},
        {StreamFader::Volume, {0xFF}, 0x4000, 0},
        {StreamFader::Volume, {0x12, 0x34, 0x01, 0x00}, 0x1234, 256},
        {StreamFader::Volume, {0x12, 0x34, 1, 2, 3, 4, 5}, 0x1234, 0x01020304},
        {StreamFader::Pan, {}, 0, 0},
        {StreamFader::Pan, {0xF0}, -0x1000, 0},
        {StreamFader::Pan, {0x80, 0x00, 0x10}, -0x4000, 16},
        {StreamFader::Pitch, {0x80, 0x00}, -0x8000, 0},
        {StreamFader::Pitch, {0x7F}, 0x7F00, 0},
    };
    for (const auto& c : cases) {
        FaderRequest r = parseFaderPayload(c.which, c.bytes.data(), static_cast<unsigned>(c.bytes.size()));
        EXPECT_EQ(r.value, c.value) << c.bytes.size();
        EXPECT_EQ(r.fade, c.fade) << c.bytes.size();
    }
}

TEST(StreamSlots, PositionTexts)
{
    struct Case {
        const char* text;
        bool valid, inSeconds;
        uint64_t samples;
        float seconds;
    };
    const Case cases[] = {
        {"0", true, false, 0, 0},
        {"44100", true, false, 44100, 0},
        {" 18446744073709551615\t", true, false, UINT64_MAX, 0},
        {"18446744073709551616", false, false, 0, 0},
        {"1:02.5", true, true, 0, 62.5f},
        {"1:02:03.25", true, true, 0, 3723.25f},
        {"0:30", true, true, 0, 30.0f},
        {"2.5", true, true, 0, 2.5f},
        {"1:60.0", false, false, 0, 0},
        {"", false, false, 0, 0},
        {"   ", false, false, 0, 0},
        {"12a", false, false, 0, 0},
        {"-5", false, false, 0, 0},
        {"1:2:3:4", false, false, 0, 0},
        {"1.", false, false, 0, 0},
        {".5", false, false, 0, 0},
        {"1::2", false, false, 0, 0},
        {"1.2.3", false, false, 0, 0},
    };
    for (const auto& c : cases) {
        StreamPosition p = parseStreamPosition(c.text, static_cast<unsigned>(std::string(c.text).size()));
        EXPECT_EQ(p.valid, c.valid) << c.text;
        if (!c.valid) continue;
        EXPECT_EQ(p.inSeconds, c.inSeconds) << c.text;
        EXPECT_EQ(p.samples, c.samples) << c.text;
        EXPECT_FLOAT_EQ(p.seconds, c.seconds) << c.text;
    }
}

TEST(StreamSlots, LoopTexts)
{
    struct Case {
        const char* text;
        bool valid, inSeconds;
        uint64_t start, end;
    };
    const Case cases[] = {
        {"100,200", true, false, 100, 200}, {"300", true, false, 0, 300}, {"0:01.0, 0:02.0", true, true, 0, 0},
        {"100,0:02.0", false, false, 0, 0}, {"100,", false, false, 0, 0}, {",5", false, false, 0, 0},
        {"1,2,3", false, false, 0, 0},
    };
    for (const auto& c : cases) {
        StreamLoop l = parseStreamLoop(c.text, static_cast<unsigned>(std::string(c.text).size()));
        EXPECT_EQ(l.valid, c.valid) << c.text;
        if (!c.valid) continue;
        EXPECT_EQ(l.start.inSeconds, c.inSeconds) << c.text;
        EXPECT_EQ(l.start.samples, c.start) << c.text;
        EXPECT_EQ(l.end.samples, c.end) << c.text;
    }
    StreamLoop timed = parseStreamLoop("0:01.5,1:00", 11);
    EXPECT_FLOAT_EQ(timed.start.seconds, 1.5f);
    EXPECT_FLOAT_EQ(timed.end.seconds, 60.0f);
}

} // namespace

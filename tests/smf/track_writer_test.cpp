// Event bytes of one track: running status, variable-length deltas, SysEx
// forms, meta splitting and tempo conversion.
#include "smf/smf_bytes.h"
#include "smf/track_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using smf::TrackWriter;
using smf::WriteResult;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes filled(size_t n, uint8_t first)
{
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t(first + i);
    return out;
}

struct EventCase {
    const char* name;
    bool offVelocity;
    std::function<void(TrackWriter&)> play;
    Bytes expected;
};

// Plays the one SysEx message `message`, whole.
std::function<void(TrackWriter&)> sysexOf(Bytes message)
{
    return [message](TrackWriter& w) { w.sysex(message.data(), static_cast<uint32_t>(message.size())); };
}

std::vector<EventCase> eventCases()
{
    const Bytes text300 = filled(300, 0x20);
    const Bytes text200 = filled(200, 0x30);
    const Bytes roland{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    return {
        {"running_status_across_note_on_and_off",
         false,
         [](TrackWriter& w) {
             w.noteOn(0, 60, 100);
             w.addTicks(10);
             w.noteOn(0, 64, 90);
             w.addTicks(5);
             w.noteOff(0, 60, 64);
             w.noteOn(1, 60, 1);
         },
         {0x00, 0x90, 60, 100, 0x0A, 64, 90, 0x05, 60, 0x00, 0x00, 0x91, 60, 1}},
        {"program_change_breaks_running_status",
         false,
         [](TrackWriter& w) {
             w.noteOn(0, 60, 100);
             w.programChange(0, 5);
             w.noteOn(0, 62, 100);
         },
         {0x00, 0x90, 60, 100, 0x00, 0xC0, 5, 0x00, 0x90, 62, 100}},
        {"off_velocity_note_offs",
         true,
         [](TrackWriter& w) {
             w.noteOn(2, 60, 100);
             w.noteOff(2, 60, 33);
             w.noteOff(2, 61, 34);
         },
         {0x00, 0x92, 60, 100, 0x00, 0x82, 60, 33, 0x00, 61, 34}},
        {"pitch_bend_ends",
         false,
         [](TrackWriter& w) {
             w.pitchBend(3, -8192);
             w.pitchBend(3, 0);
             w.pitchBend(3, 8191);
         },
         {0x00, 0xE3, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x7F, 0x7F}},
        {"pressures_and_controllers",
         false,
         [](TrackWriter& w) {
             w.keyPressure(0, 60, 20);
             w.channelPressure(0, 30);
             w.controlChange(0, 10, 64);
             w.controlChange(0, 11, 65);
         },
         {0x00, 0xA0, 60, 20, 0x00, 0xD0, 30, 0x00, 0xB0, 10, 64, 0x00, 11, 65}},
        {"sysex_f0_form", false, sysexOf(roland), Bytes{0x00, 0xF0, 0x0A} + Bytes(roland.begin() + 1, roland.end())},
        {"sysex_without_end_byte_escaped", false, sysexOf({0xF0, 0x7E, 0x09}), {0x00, 0xF7, 0x03, 0xF0, 0x7E, 0x09}},
        {"sysex_without_start_byte_escaped", false, sysexOf({0xF3, 0x01, 0xF7}), {0x00, 0xF7, 0x03, 0xF3, 0x01, 0xF7}},
        {"sysex_of_one_or_no_byte",
         false,
         [](TrackWriter& w) {
             const Bytes b{0xF0};
             w.sysex(b.data(), 1);
             w.sysex(b.data(), 0);
         },
         {0x00, 0xF7, 0x01, 0xF0, 0x00, 0xF7, 0x00}},
        {"sysex_and_meta_break_running_status",
         false,
         [](TrackWriter& w) {
             const Bytes b{0xF0, 0xF7};
             w.noteOn(0, 60, 100);
             w.sysex(b.data(), 2);
             w.noteOn(0, 61, 100);
             w.meta(0x06, nullptr, 0);
             w.noteOn(0, 62, 100);
         },
         {0x00, 0x90, 60,   100,  0x00, 0xF0, 0x01, 0xF7, 0x00, 0x90,
          61,   100,  0x00, 0xFF, 0x06, 0x00, 0x00, 0x90, 62,   100}},
        {"text_of_300_bytes_split", false,
         [text300](TrackWriter& w) {
             w.addTicks(7);
             w.text(text300.data(), 300);
         },
         Bytes{0x07, 0xFF, 0x01, 0x81, 0x7F} + Bytes(text300.begin(), text300.begin() + 255) +
             Bytes{0x00, 0xFF, 0x01, 0x2D} + Bytes(text300.begin() + 255, text300.end())},
        {"text_of_200_bytes", false, [text200](TrackWriter& w) { w.text(text200.data(), 200); },
         Bytes{0x00, 0xFF, 0x01, 0x81, 0x48} + text200},
        {"meta_type_above_127_ignored",
         false,
         [](TrackWriter& w) {
             const Bytes b{1, 2};
             w.noteOn(0, 60, 100);
             w.addTicks(3);
             w.meta(0x80, b.data(), 2);
             w.addTicks(4);
             w.noteOn(0, 61, 100);
         },
         {0x00, 0x90, 60, 100, 0x07, 61, 100}},
        {"fixed_length_metas_of_another_length_ignored",
         false,
         [](TrackWriter& w) {
             const Bytes b{0x41, 0x42, 0x43, 0x44, 0x45, 0x46};
             for (uint8_t type : {0x20, 0x21, 0x51, 0x54, 0x58, 0x59}) {
                 w.meta(type, b.data(), 0);
                 w.meta(type, b.data(), 6);
             }
             w.meta(0x51, b.data(), 2);
             w.addTicks(2);
             w.noteOn(0, 61, 100);
         },
         {0x02, 0x90, 61, 100}},
        {"fixed_length_metas_of_their_length_written",
         false,
         [](TrackWriter& w) {
             const Bytes b{4, 2, 24, 8, 0};
             w.meta(0x58, b.data(), 4);
             w.meta(0x59, b.data(), 2);
             w.meta(0x20, b.data(), 1);
             w.meta(0x51, b.data(), 3);
             w.meta(0x54, b.data(), 5);
         },
         {0x00, 0xFF, 0x58, 0x04, 4,    2, 24, 8,  0x00, 0xFF, 0x59, 0x02, 4, 2, 0x00, 0xFF, 0x20, 0x01,
          4,    0x00, 0xFF, 0x51, 0x03, 4, 2,  24, 0x00, 0xFF, 0x54, 0x05, 4, 2, 24,   8,    0}},
        {"tempo_of_120_bpm",
         false,
         [](TrackWriter& w) { w.tempo(2667, 192); },
         {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x5F}},
        {"tempo_zero_clamped_to_one",
         false,
         [](TrackWriter& w) { w.tempo(0, 192); },
         {0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x01}},
        {"huge_tempo_clamped",
         false,
         [](TrackWriter& w) { w.tempo(0xFFFFFFFF, 192); },
         {0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF}},
        {"largest_delta",
         false,
         [](TrackWriter& w) {
             w.addTicks(0x0FFFFFFF);
             w.programChange(0, 1);
         },
         {0xFF, 0xFF, 0xFF, 0x7F, 0xC0, 0x01}},
        {"delta_too_long_writes_nothing",
         false,
         [](TrackWriter& w) {
             w.addTicks(0x10000000);
             EXPECT_EQ(w.programChange(0, 1), WriteResult::DeltaTooLong);
             EXPECT_EQ(w.meta(1, nullptr, 0), WriteResult::DeltaTooLong);
             EXPECT_EQ(w.sysex(nullptr, 0), WriteResult::DeltaTooLong);
             EXPECT_EQ(w.endOfTrack(true), WriteResult::DeltaTooLong);
             EXPECT_EQ(w.pendingDelta(), 0x10000000u);
         },
         {}},
        {"end_of_track_drops_pending_ticks",
         false,
         [](TrackWriter& w) {
             w.addTicks(500);
             w.endOfTrack(false);
         },
         {0x00, 0xFF, 0x2F, 0x00}},
        {"end_of_track_carries_pending_ticks",
         false,
         [](TrackWriter& w) {
             w.addTicks(500);
             w.endOfTrack(true);
         },
         {0x83, 0x74, 0xFF, 0x2F, 0x00}},
    };
}

class TrackWriterTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(TrackWriterTest, WritesExactBytes)
{
    const EventCase& c = GetParam();
    TrackWriter w(c.offVelocity);
    c.play(w);
    EXPECT_EQ(w.events(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Events, TrackWriterTest, ::testing::ValuesIn(eventCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(VlqTest, LengthsAtEachBoundary)
{
    const std::vector<std::pair<uint32_t, Bytes>> table = {
        {0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
        {0x200000, {0x81, 0x80, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& [value, bytes] : table) {
        Bytes out;
        EXPECT_TRUE(smf::appendVlq(out, value));
        EXPECT_EQ(out, bytes) << std::hex << value;
    }
    Bytes out;
    EXPECT_FALSE(smf::appendVlq(out, 0x10000000));
    EXPECT_TRUE(out.empty());
}

TEST(TempoTest, MicrosecondsPerQuarterNote)
{
    struct Row {
        uint32_t raw, timebase, micros;
    };
    const std::vector<Row> table = {
        {2667, 192, 500063}, // 120 beats per minute at timebase 192
        {256, 4, 1000},      // a 1 ms tick, one tick per quarter note
        {1, 1, 1},           // 250/256 rounds up to 1
        {1, 3, 3},           // 750/256 = 2.93 rounds to 3
        {0, 192, 1},         {0xFFFFFFFF, 65535, 0xFFFFFF},
    };
    for (const Row& r : table)
        EXPECT_EQ(smf::tempoMicroseconds(r.raw, r.timebase), r.micros) << r.raw << " " << r.timebase;
}

} // namespace

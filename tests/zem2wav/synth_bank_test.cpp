// Channels dealt out to several synthesizers sound as one synthesizer.
#include "zem2wav/render_synth.h"
#include "zem2wav/synth_bank.h"

#include "platform/midi_synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using zem2wav::ChannelLoad;

ChannelLoad loadOf(std::initializer_list<std::pair<size_t, uint64_t>> notes)
{
    ChannelLoad load{};
    for (const auto& [channel, count] : notes) load[channel] = count;
    return load;
}

TEST(SynthBankPlan, LanesAreTheThreadsButNoMoreThanThePlayingChannels)
{
    struct Row {
        ChannelLoad load;
        unsigned threads;
        size_t lanes;
    };
    const Row rows[] = {
        {loadOf({}), 4, 1},
        {loadOf({{0, 5}}), 4, 1},
        {loadOf({{0, 5}, {17, 1}}), 4, 2},
        {loadOf({{0, 5}, {17, 1}, {30, 2}}), 2, 2},
        {loadOf({{0, 5}, {17, 1}, {30, 2}}), 1, 1},
    };
    for (const auto& r : rows) EXPECT_EQ(zem2wav::laneCount(r.load, r.threads), r.lanes);
}

TEST(SynthBankPlan, BusiestChannelsAreSpreadFirst)
{
    struct Row {
        const char* name;
        ChannelLoad load;
        size_t lanes;
        std::vector<std::pair<size_t, uint8_t>> owners; // channel, lane
    };
    const Row rows[] = {
        {"two even", loadOf({{0, 10}, {1, 10}}), 2, {{0, 0}, {1, 1}}},
        {"one heavy against three light",
         loadOf({{3, 30}, {4, 10}, {5, 10}, {6, 10}}),
         2,
         {{3, 0}, {4, 1}, {5, 1}, {6, 1}}},
        {"silent channels stay on the first", loadOf({{200, 5}, {201, 4}}), 2, {{200, 0}, {201, 1}, {7, 0}, {254, 0}}},
        {"three lanes", loadOf({{0, 9}, {16, 8}, {32, 7}, {48, 3}}), 3, {{0, 0}, {16, 1}, {32, 2}, {48, 2}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const zem2wav::ChannelOwners owners = zem2wav::dealChannels(r.load, r.lanes);
        for (const auto& [channel, lane] : r.owners) EXPECT_EQ(owners[channel], lane) << "channel " << channel;
    }
}

// One step of a script: a short message (port, packed), an exclusive
// message, or frames to render.
struct Step {
    int port;
    uint32_t packed;
    size_t renderFrames = 0;
    std::vector<uint8_t> exclusive = {};
};

std::vector<int16_t> play(platform::MidiSynth& synth, const std::vector<Step>& script)
{
    std::vector<int16_t> out;
    for (const Step& step : script) {
        if (!step.exclusive.empty()) {
            synth.exclusive(step.port, step.exclusive.data(), step.exclusive.size());
        } else if (step.renderFrames > 0) {
            const size_t at = out.size();
            out.resize(at + 2 * step.renderFrames);
            synth.render(out.data() + at, step.renderFrames);
        } else {
            synth.shortMessage(step.port, step.packed);
        }
    }
    return out;
}

uint32_t message(int status, int channel, int data1, int data2 = 0)
{
    return uint32_t(status | channel) | uint32_t(data1) << 8 | uint32_t(data2) << 16;
}

// Programs, effect sends, bends and notes on several ports, a GS reset
// between, renders in uneven pieces.
std::vector<Step> busyScript()
{
    std::vector<Step> s;
    const std::vector<uint8_t> gsReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    s.push_back({0, 0, 0, gsReset});
    const int channels[][2] = {{0, 0}, {0, 1}, {0, 9}, {1, 0}, {1, 5}, {2, 3}, {3, 9}, {5, 14}};
    int program = 0;
    for (const auto& [port, channel] : channels) {
        s.push_back({port, message(0xC0, channel, program += 11)});
        s.push_back({port, message(0xB0, channel, 91, 20 + program % 100)}); // reverb send
        s.push_back({port, message(0xB0, channel, 93, 90 - program % 80)});  // chorus send
    }
    size_t piece = 37;
    for (int round = 0; round < 12; ++round) {
        for (const auto& [port, channel] : channels) {
            const int key = 40 + (round * 7 + channel * 5 + port * 3) % 40;
            s.push_back({port, message(0x90, channel, key, 60 + round * 5)});
            if (round % 3 == 1) s.push_back({port, message(0xE0, channel, round * 9 % 128, 64 + round % 8)});
        }
        s.push_back({0, 0, piece});
        piece = piece * 7 % 5003 + 100;
        for (const auto& [port, channel] : channels) {
            const int key = 40 + (round * 7 + channel * 5 + port * 3) % 40;
            if (round % 2 == 0) s.push_back({port, message(0x80, channel, key, 64)});
        }
        s.push_back({0, 0, piece});
        piece = piece * 3 % 4001 + 64;
    }
    s.push_back({0, 0, 44100}); // the tails and the reverb ring out
    return s;
}

struct Comparison {
    int largest = 0;        // largest sample difference
    double belowSignal = 0; // dB from the signal's power down to the difference's
};

Comparison compare(const std::vector<int16_t>& got, const std::vector<int16_t>& expected)
{
    Comparison c;
    double signal = 0, difference = 0;
    for (size_t i = 0; i < got.size() && i < expected.size(); ++i) {
        const int d = got[i] - expected[i];
        c.largest = std::max(c.largest, std::abs(d));
        signal += double(expected[i]) * expected[i];
        difference += double(d) * d;
    }
    c.belowSignal = 10 * std::log10(signal / std::max(difference, 1.0));
    return c;
}

// Every lane layout against one synthesizer.  All channels on one lane of
// two must come out within the one synthesizer's dither.  Split channels
// come out close but not within rounding: FluidSynth's output for one
// channel is not quite independent of what other channels played before,
// so the difference is held to a level, and a message lost or sent to the
// wrong lane (a whole note missing) breaks that level by far.
TEST(SynthBank, SoundsAsOneSynthesizer)
{
    std::string error;
    auto create = [&error] {
        auto synth = platform::MidiSynth::create(platform::synthSoundFontPath(), 0.2, &error);
        EXPECT_NE(synth, nullptr) << error;
        return synth;
    };
    const std::vector<Step> script = busyScript();
    ChannelLoad load{};
    for (const Step& step : script)
        if ((step.packed & 0xF0) == 0x90) ++load[size_t(step.port) * 16 + (step.packed & 0x0F)];

    auto one = create();
    ASSERT_NE(one, nullptr);
    const std::vector<int16_t> expected = play(*one, script);

    struct Row {
        const char* name;
        size_t lanes;
        bool allOnFirst;
        int largest;        // at most
        double belowSignal; // at least
    };
    const Row rows[] = {
        {"all channels on one lane", 2, true, 2, 60},
        {"two lanes", 2, false, 32767, 25},
        {"three lanes", 3, false, 32767, 25},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<std::unique_ptr<platform::MidiSynth>> synths;
        for (size_t i = 0; i < r.lanes; ++i) synths.push_back(create());
        zem2wav::ChannelOwners owners = zem2wav::dealChannels(load, r.lanes);
        if (r.allOnFirst) owners.fill(0);
        zem2wav::SynthBank bank(std::move(synths), owners);
        const std::vector<int16_t> got = play(bank, script);
        ASSERT_EQ(got.size(), expected.size());
        const Comparison c = compare(got, expected);
        std::printf("%s: largest difference %d, %.1f dB below the signal\n", r.name, c.largest, c.belowSignal);
        EXPECT_LE(c.largest, r.largest);
        EXPECT_GE(c.belowSignal, r.belowSignal);
    }
}

// The 16-bit conversion of summed floats: scaled, rounded half away from
// zero, clipped.
TEST(SynthBank, SumsConvertLikeTheSynthesizer)
{
    const float s = platform::kSynthFloatScale;
    struct Row {
        float a, b;
        int16_t expected;
    };
    const Row rows[] = {
        {0, 0, 0},           {1.2f / s, 0.2f / s, 1}, {1.0f / s, 0.6f / s, 2}, {-1.0f / s, -0.6f / s, -2},
        {0.5f, 0.5f, 32766}, {0.9f, 0.9f, 32767},     {-0.9f, -0.9f, -32768},  {0.25f, -0.5f, -8192},
    };
    for (const auto& r : rows) {
        const float left[] = {r.a}, right[] = {r.b}, zero[] = {0};
        int16_t out[2];
        zem2wav::sumToStereo16({left, right}, {zero, zero}, 1, out);
        EXPECT_EQ(out[0], r.expected) << r.a << " + " << r.b;
        EXPECT_EQ(out[1], 0);
    }
}

} // namespace

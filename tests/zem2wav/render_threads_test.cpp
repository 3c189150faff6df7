// A render on several threads has the samples of a render on one.
#include "zem2wav/render_synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

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

// FluidSynth shares the voices of each block among its threads: the count
// must not change a sample, whatever the song and however it is cut into
// renders.  A second render on the same count shows the sharing is the same
// each time.
TEST(RenderThreads, AnyCountRendersTheSamplesOfOne)
{
    std::string error;
    auto one = zem2wav::createRenderSynth(1, 0.2, &error);
    ASSERT_NE(one, nullptr) << error;
    const std::vector<Step> script = busyScript();
    const std::vector<int16_t> expected = play(*one, script);
    const auto loudest = std::max_element(expected.begin(), expected.end(),
                                          [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
    ASSERT_GT(std::abs(*loudest), 3000) << "the script sounds";

    const unsigned counts[] = {2, 2, 3, 8};
    for (unsigned threads : counts) {
        SCOPED_TRACE(threads);
        auto synth = zem2wav::createRenderSynth(threads, 0.2, &error);
        ASSERT_NE(synth, nullptr) << error;
        const std::vector<int16_t> got = play(*synth, script);
        ASSERT_EQ(got.size(), expected.size());
        const auto differs = std::mismatch(got.begin(), got.end(), expected.begin());
        EXPECT_EQ(differs.first, got.end()) << "first difference at sample " << differs.first - got.begin();
    }
}

} // namespace

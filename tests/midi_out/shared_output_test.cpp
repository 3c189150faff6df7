// The built-in synthesizer sounds through the process's real-time audio
// output when one is open: one device, whose clock is the synthesizer's.
// The first test opens the first output of this program, so that the clock
// and SDL's disk capture start together.
#include "platform/audio.h"
#include "platform/midi_out.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

constexpr double kFramesPerMs = 44.1;

std::unique_ptr<platform::AudioDevice> openOutput()
{
    std::unique_ptr<platform::AudioDevice> device;
    EXPECT_EQ(platform::openAudioDevice("", device), platform::kAudioOk);
    if (device) EXPECT_EQ(device->setPrimaryFormat(platform::AudioFormat{}), platform::kAudioOk);
    return device;
}

// The frames where the hits in 16-bit stereo capture start: the first
// sample above a tenth of the loudest after at least 50 ms below it.
std::vector<uint64_t> onsets(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int> level(bytes.size() / 4);
    for (size_t i = 0; i < level.size(); ++i) {
        const auto at = [&](size_t b) {
            return std::abs(int(int16_t(uint8_t(bytes[b]) | uint8_t(bytes[b + 1]) << 8)));
        };
        level[i] = std::max(at(4 * i), at(4 * i + 2));
    }
    const int threshold = std::max(level.empty() ? 0 : *std::max_element(level.begin(), level.end()) / 10, 1);
    std::vector<uint64_t> found;
    size_t lastLoud = 0;
    for (size_t i = 0; i < level.size(); ++i) {
        if (level[i] <= threshold) continue;
        if (found.empty() || i - lastLoud >= size_t(50 * kFramesPerMs)) found.push_back(i);
        lastLoud = i;
    }
    return found;
}

TEST(SharedOutput, NotesSoundAtTheirFrameOfTheOutputsClock)
{
    const std::string path = ::testing::TempDir() + "/shared-output.raw";
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    std::vector<uint64_t> planned;
    {
        const auto output = openOutput();
        ASSERT_TRUE(output);
        auto port = platform::midiOutOpen(platform::kMidiMapper);
        ASSERT_TRUE(port);
        // Claves on the drum channel every 150 ms, each planned 40 ms ahead
        // of the clock, as a player plans its events.
        for (int i = 0; i < 8; ++i) {
            const uint64_t frame = port->audioFrames() + uint64_t(40 * kFramesPerMs);
            planned.push_back(frame);
            port->shortMessageAt(frame, 0x99 | 75 << 8 | 110 << 16);
            port->shortMessageAt(frame + 441, 0x89 | 75 << 8);
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::vector<uint64_t> heard = onsets(path);
    std::remove(path.c_str());
    ASSERT_EQ(heard.size(), planned.size());
    double lowest = 1e9, highest = -1e9;
    for (size_t i = 0; i < heard.size(); ++i) {
        const double late = (double(heard[i]) - double(planned[i])) / kFramesPerMs;
        lowest = std::min(lowest, late);
        highest = std::max(highest, late);
    }
    std::printf("onset minus planned frame: %.2f to %.2f ms\n", lowest, highest);
    // A message takes effect at the start of the 64-frame block holding its
    // frame: up to 1.5 ms early, and the instrument's attack after that.
    // The capture may begin with one buffer of silence that SDL wrote
    // before the output started (512 frames, 11.6 ms).
    EXPECT_GE(lowest, -1.5);
    EXPECT_LE(highest, 3.0 + 11.7);
    EXPECT_LE(highest - lowest, 3.0);
}

// The clock moves while something plays the synthesizer.
bool clockMoves(const platform::MidiOutPort& port)
{
    const uint64_t before = port.audioFrames();
    for (int i = 0; i < 100 && port.audioFrames() == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return port.audioFrames() > before;
}

TEST(SharedOutput, OneDeviceWhateverTheOrder)
{
    // SDL's dummy driver opens one device at a time, as some hardware does:
    // the synthesizer and the output never hold two.  Without an output the
    // synthesizer sounds on a device of its own, which gives way to an
    // output opening and comes back when it closes.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (bool outputFirst : {true, false}) {
        SCOPED_TRACE(outputFirst ? "output, then synthesizer" : "synthesizer, then output");
        std::unique_ptr<platform::AudioDevice> output;
        if (outputFirst) output = openOutput();
        auto port = platform::midiOutOpen(platform::kMidiMapper);
        ASSERT_TRUE(port);
        EXPECT_TRUE(clockMoves(*port));
        if (!outputFirst) output = openOutput();
        ASSERT_TRUE(output);
        EXPECT_TRUE(clockMoves(*port));
        output.reset();
        EXPECT_TRUE(clockMoves(*port)) << "on its own device again";
        const uint64_t before = port->audioFrames();
        output = openOutput();
        ASSERT_TRUE(output) << "reopened";
        EXPECT_TRUE(clockMoves(*port));
        EXPECT_GE(port->audioFrames(), before) << "the clock never goes back";
    }
}

} // namespace

// Streaming writers and a controller thread working on buffers while the
// real-time callback mixes them.  Run under ThreadSanitizer by `make tsan`
// (30 s); ZEM_AUDIO_STRESS_SECONDS sets the length (2 s by default).
#include "audio_test_kit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

namespace {

using namespace platform;
using namespace audio_test;

constexpr int kStreams = 16;
constexpr int kShortSounds = 64;
constexpr uint32_t kSegments = 4;
// Long segments: under the sanitizer on a loaded machine a thread may
// stall for more than half a second, and the writer must stay ahead of the
// mixer through that.
constexpr uint32_t kSegmentFrames = kRate;
constexpr uint32_t kStreamFlags = 0x580E0;

double stressSeconds()
{
    const char* text = std::getenv("ZEM_AUDIO_STRESS_SECONDS");
    const double seconds = text ? std::atof(text) : 0;
    return seconds > 0 ? seconds : 2;
}

// Writes one piece of a stream's ring; false when the play cursor has come
// within a segment of it, so a starved writer skips the rest instead of
// writing where the mixer reads, as a streaming decoder that falls behind
// does.
bool writePiece(AudioBuffer& stream, uint32_t offset, uint32_t bytes, int16_t& value, std::atomic<int>& failures)
{
    const uint32_t segmentBytes = kSegmentFrames * 4;
    uint32_t play = 0;
    if (stream.getCurrentPosition(&play, nullptr) != kAudioOk) ++failures;
    if ((offset + stream.bytes() - play) % stream.bytes() < segmentBytes) return false;
    AudioLockedRegion region;
    if (stream.lock(offset, bytes, region) != kAudioOk) {
        ++failures;
        return false;
    }
    for (uint32_t i = 0; i + 1 < region.firstBytes; i += 2) {
        region.first[i] = static_cast<uint8_t>(value & 0xFF);
        region.first[i + 1] = static_cast<uint8_t>(value >> 8);
        value = static_cast<int16_t>(value * 3 + 7);
    }
    if (stream.unlock(region.first, region.firstBytes, region.second, region.secondBytes) != kAudioOk) ++failures;
    return true;
}

// Keeps every stream's ring filled two segments ahead of its play cursor.
void writeStreams(std::vector<std::unique_ptr<AudioBuffer>>& streams, std::atomic<bool>& stop,
                  std::atomic<int>& failures, std::atomic<int>& segmentsWritten)
{
    const uint32_t segmentBytes = kSegmentFrames * 4;
    const uint32_t pieceBytes = segmentBytes / 9;
    std::vector<uint32_t> lastWritten(streams.size(), kSegments);
    int16_t value = 1;
    while (!stop) {
        for (size_t s = 0; s < streams.size(); ++s) {
            uint32_t play = 0;
            if (streams[s]->getCurrentPosition(&play, nullptr) != kAudioOk) ++failures;
            const uint32_t target = (play / segmentBytes + 2) % kSegments;
            if (target == lastWritten[s]) continue;
            lastWritten[s] = target;
            bool whole = true;
            for (uint32_t done = 0; done < segmentBytes && whole; done += pieceBytes) {
                whole = writePiece(*streams[s], target * segmentBytes + done, std::min(pieceBytes, segmentBytes - done),
                                   value, failures);
            }
            if (whole) ++segmentsWritten;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The device as the controller sees it: closing it takes the mutex.
struct SharedDevice {
    std::mutex mutex;
    std::unique_ptr<AudioDevice> device;
};

// Starts, moves, stops, retunes and duplicates short sounds at random.
// Until closed is set every call must succeed; after it, calls may be
// refused but must not crash.
void controlSounds(SharedDevice& shared, std::vector<std::unique_ptr<AudioBuffer>>& sounds, std::atomic<bool>& stop,
                   const std::atomic<bool>& closed, std::atomic<int>& failures, std::atomic<int>& operations)
{
    std::mt19937 random(11);
    auto check = [&](AudioResult result) {
        if (result != kAudioOk && !closed) ++failures;
    };
    while (!stop) {
        AudioBuffer& sound = *sounds[random() % sounds.size()];
        const uint32_t frames = sound.bytes() / sound.format().blockBytes();
        switch (random() % 8) {
        case 0: check(sound.play(random() % 2 ? kAudioPlayLooping : 0)); break;
        case 1: check(sound.stop()); break;
        case 2: check(sound.setCurrentPosition(random() % frames * sound.format().blockBytes())); break;
        case 3: check(sound.setVolume(-static_cast<int32_t>(random() % 3000))); break;
        case 4: check(sound.setPan(static_cast<int32_t>(random() % 20001) - 10000)); break;
        case 5: check(sound.setFrequency(random() % 3 ? 0 : 8000 + random() % 80000)); break;
        case 6: {
            std::unique_ptr<AudioBuffer> copy;
            {
                std::lock_guard lock(shared.mutex);
                if (shared.device) check(shared.device->duplicateBuffer(sound, copy));
            }
            if (copy) check(copy->play(0));
            break; // the copy is destroyed while it may be mixed
        }
        default: {
            uint32_t status = 0;
            check(sound.getStatus(status));
        }
        }
        // Paced so the writer and the mixer get their share of two cores.
        if (++operations % 16 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(AudioStress, WritersAndControllersWhileMixing)
{
    SharedDevice shared;
    std::unique_ptr<AudioDevice>& device = shared.device;
    ASSERT_EQ(openAudioDevice("", device), kAudioOk);
    ASSERT_EQ(device->setPrimaryFormat(format(2, 16)), kAudioOk);

    std::vector<std::unique_ptr<AudioBuffer>> streams(kStreams);
    for (int s = 0; s < kStreams; ++s) {
        ASSERT_EQ(device->createBuffer(kStreamFlags, format(2, 16), kSegments * kSegmentFrames * 4, streams[s]),
                  kAudioOk);
        if (s % 3 == 0) {
            ASSERT_EQ(streams[s]->setFrequency(48000), kAudioOk);
        }
        ASSERT_EQ(streams[s]->setVolume(-2400), kAudioOk);
        ASSERT_EQ(streams[s]->play(kAudioPlayLooping), kAudioOk);
    }
    std::vector<std::unique_ptr<AudioBuffer>> sounds;
    for (int i = 0; i < kShortSounds; ++i) {
        const AudioFormat f = i % 2 ? format(1, 8, 22050) : format(2, 16);
        sounds.push_back(
            bufferWith(*device, f, std::vector<uint8_t>(f.sampleRate / 20 * f.blockBytes(), 0x90), kSoundFlags));
        ASSERT_TRUE(sounds.back());
    }

    std::atomic<bool> stopWriter{false};
    std::atomic<bool> stopController{false};
    std::atomic<bool> closed{false};
    std::atomic<int> failures{0};
    std::atomic<int> segments{0};
    std::atomic<int> operations{0};
    std::thread writer(writeStreams, std::ref(streams), std::ref(stopWriter), std::ref(failures), std::ref(segments));
    std::thread controller(controlSounds, std::ref(shared), std::ref(sounds), std::ref(stopController),
                           std::cref(closed), std::ref(failures), std::ref(operations));

    const double seconds = stressSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stopWriter = true;
    writer.join();
    EXPECT_EQ(failures.load(), 0);
    // The mixer moved every stream into a new segment at least once (a
    // segment a second when the machine keeps up), and the controller ran.
    EXPECT_GE(segments.load(), 2 * kStreams);
    EXPECT_GT(operations.load(), static_cast<int>(1000 * seconds));

    // Closing the device under the controller's feet loses every buffer.
    closed = true;
    {
        std::lock_guard lock(shared.mutex);
        device.reset();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stopController = true;
    controller.join();
    uint32_t status = 0;
    ASSERT_EQ(streams[0]->getStatus(status), kAudioOk);
    EXPECT_EQ(status, kAudioStatusBufferLost);
}

} // namespace

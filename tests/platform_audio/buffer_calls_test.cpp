// Result codes of device and buffer calls, and buffers outliving their device.
#include "audio_test_kit.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace platform;
using namespace audio_test;

TEST(AudioCalls, CreateChecksFlagsFormatAndSize)
{
    struct Case {
        const char* name;
        uint32_t flags;
        AudioResult expected;
        AudioFormat format = audio_test::format(2, 16);
        uint32_t bytes = 4000;
    };
    const Case cases[] = {
        {"one-shot sound flags", 0x480E0, kAudioOk},
        {"stream flags with hardware location", 0x180E4, kAudioInvalidCall},
        {"stream flags with deferred location", 0x580E0, kAudioOk},
        {"no flags, 8-bit mono at the lowest rate", 0, kAudioOk, format(1, 8, 100), 4},
        {"highest rate", 0, kAudioOk, format(1, 8, 100000), 4},
        {"primary-buffer flag", 0x1, kAudioInvalidArgument},
        {"unknown flag (position notify)", 0x100, kAudioInvalidArgument},
        {"software and deferred location", 0x40008, kAudioInvalidArgument},
        {"hardware and software location", 0xC, kAudioInvalidArgument},
        {"three channels", 0, kAudioInvalidArgument, format(3, 16), 6000},
        {"24-bit samples", 0, kAudioInvalidArgument, format(2, 24), 6000},
        {"rate 99", 0, kAudioInvalidArgument, format(2, 16, 99)},
        {"rate 100001", 0, kAudioInvalidArgument, format(2, 16, 100001)},
        {"smaller than the minimum", 0, kAudioInvalidArgument, format(1, 8), 3},
        {"larger than the maximum", 0, kAudioInvalidArgument, format(1, 8), kAudioBufferBytesMax + 1},
        {"not whole frames", 0, kAudioInvalidArgument, format(2, 16), 4002},
    };
    auto device = offlineDevice();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<AudioBuffer> buffer;
        EXPECT_EQ(device->createBuffer(c.flags, c.format, c.bytes, buffer), c.expected);
        EXPECT_EQ(buffer != nullptr, c.expected == kAudioOk);
        if (buffer) {
            EXPECT_EQ(buffer->bytes(), c.bytes);
            EXPECT_EQ(buffer->format(), c.format);
        }
    }
}

// A lock of bytes at offset, for the table below; the region is dropped.
std::function<AudioResult(AudioBuffer&)> lockOf(uint32_t offset, uint32_t bytes)
{
    return [=](AudioBuffer& b) {
        AudioLockedRegion r;
        return b.lock(offset, bytes, r);
    };
}

TEST(AudioCalls, SettersCheckControlsAndRanges)
{
    struct Case {
        const char* name;
        uint32_t flags;
        std::function<AudioResult(AudioBuffer&)> call;
        AudioResult expected;
    };
    const Case cases[] = {
        {"volume 0", kAllControls, [](AudioBuffer& b) { return b.setVolume(0); }, kAudioOk},
        {"volume -10000", kAllControls, [](AudioBuffer& b) { return b.setVolume(-10000); }, kAudioOk},
        {"volume 1", kAllControls, [](AudioBuffer& b) { return b.setVolume(1); }, kAudioInvalidArgument},
        {"volume -10001", kAllControls, [](AudioBuffer& b) { return b.setVolume(-10001); }, kAudioInvalidArgument},
        {"volume uncontrolled", kAudioBufferCtrlPan, [](AudioBuffer& b) { return b.setVolume(0); }, kAudioInvalidCall},
        {"pan 10000", kAllControls, [](AudioBuffer& b) { return b.setPan(10000); }, kAudioOk},
        {"pan -10001", kAllControls, [](AudioBuffer& b) { return b.setPan(-10001); }, kAudioInvalidArgument},
        {"pan 10001", kAllControls, [](AudioBuffer& b) { return b.setPan(10001); }, kAudioInvalidArgument},
        {"pan uncontrolled", kAudioBufferCtrlVolume, [](AudioBuffer& b) { return b.setPan(0); }, kAudioInvalidCall},
        {"frequency 100", kAllControls, [](AudioBuffer& b) { return b.setFrequency(100); }, kAudioOk},
        {"frequency 100000", kAllControls, [](AudioBuffer& b) { return b.setFrequency(100000); }, kAudioOk},
        {"frequency 99", kAllControls, [](AudioBuffer& b) { return b.setFrequency(99); }, kAudioInvalidArgument},
        {"frequency 100001", kAllControls, [](AudioBuffer& b) { return b.setFrequency(100001); },
         kAudioInvalidArgument},
        {"frequency uncontrolled", kAudioBufferCtrlVolume, [](AudioBuffer& b) { return b.setFrequency(0); },
         kAudioInvalidCall},
        {"position at the last byte", 0, [](AudioBuffer& b) { return b.setCurrentPosition(3999); }, kAudioOk},
        {"position at the size", 0, [](AudioBuffer& b) { return b.setCurrentPosition(4000); }, kAudioInvalidArgument},
        {"play looping", 0, [](AudioBuffer& b) { return b.play(kAudioPlayLooping); }, kAudioOk},
        {"play terminate-by-time, deferred", kSoundFlags,
         [](AudioBuffer& b) { return b.play(kAudioPlayTerminateByTime | kAudioPlayLooping); }, kAudioOk},
        {"play terminate-by-time, not deferred", 0, [](AudioBuffer& b) { return b.play(kAudioPlayTerminateByTime); },
         kAudioInvalidArgument},
        {"play in hardware", kSoundFlags, [](AudioBuffer& b) { return b.play(0x2); }, kAudioInvalidArgument},
        {"lock at the size", 0, lockOf(4000, 4), kAudioInvalidArgument},
        {"lock nothing", 0, lockOf(0, 0), kAudioInvalidArgument},
        {"lock more than the size", 0, lockOf(0, 4001), kAudioInvalidArgument},
        {"unlock a foreign region", 0,
         [](AudioBuffer& b) {
             uint8_t other[4];
             return b.unlock(other, 4, nullptr, 0);
         },
         kAudioInvalidArgument},
        {"unlock beyond the end", 0,
         [](AudioBuffer& b) {
             AudioLockedRegion r;
             b.lock(3996, 4, r);
             return b.unlock(r.first, 8, nullptr, 0);
         },
         kAudioInvalidArgument},
    };
    auto device = offlineDevice();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<AudioBuffer> buffer;
        ASSERT_EQ(device->createBuffer(c.flags, format(2, 16), 4000, buffer), kAudioOk);
        EXPECT_EQ(c.call(*buffer), c.expected);
    }
}

TEST(AudioCalls, LockedRegionWrapsIntoTwoParts)
{
    struct Case {
        uint32_t offset;
        uint32_t bytes;
        uint32_t flags;
        uint32_t firstOffset;
        uint32_t firstBytes;
        uint32_t secondBytes;
    };
    const Case cases[] = {
        {0, 4000, 0, 0, 4000, 0},
        {3000, 1000, 0, 3000, 1000, 0},
        {3000, 1004, 0, 3000, 1000, 4},
        {3996, 4000, 0, 3996, 4, 3996},
        {100, 1, kAudioLockEntireBuffer, 100, 3900, 100},
        {100, 8, kAudioLockFromWriteCursor, 0, 8, 0}, // stopped: the write cursor is the play cursor
    };
    auto device = offlineDevice();
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(device->createBuffer(0, format(2, 16), 4000, buffer), kAudioOk);
    AudioLockedRegion whole;
    ASSERT_EQ(buffer->lock(0, 4000, whole), kAudioOk);
    uint8_t* base = whole.first;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << "+" << c.bytes << " flags " << c.flags);
        AudioLockedRegion region;
        ASSERT_EQ(buffer->lock(c.offset, c.bytes, region, c.flags), kAudioOk);
        EXPECT_EQ(region.first, base + c.firstOffset);
        EXPECT_EQ(region.firstBytes, c.firstBytes);
        EXPECT_EQ(region.second, c.secondBytes ? base : nullptr);
        EXPECT_EQ(region.secondBytes, c.secondBytes);
        EXPECT_EQ(buffer->unlock(region.first, region.firstBytes, region.second, region.secondBytes), kAudioOk);
    }
}

TEST(AudioCalls, NewBuffersStartSilent)
{
    struct Case {
        AudioFormat format;
        uint8_t silence;
    };
    const Case cases[] = {{format(1, 8), 0x80}, {format(2, 16), 0x00}};
    auto device = offlineDevice();
    for (const Case& c : cases) {
        std::unique_ptr<AudioBuffer> buffer;
        ASSERT_EQ(device->createBuffer(0, c.format, 64, buffer), kAudioOk);
        AudioLockedRegion region;
        ASSERT_EQ(buffer->lock(0, 64, region), kAudioOk);
        EXPECT_EQ(std::vector<uint8_t>(region.first, region.first + 64), std::vector<uint8_t>(64, c.silence));
        ASSERT_EQ(buffer->play(kAudioPlayLooping), kAudioOk);
        EXPECT_EQ(peak(render16(*device, 100)), 0);
    }
}

TEST(AudioCalls, StatusFollowsPlayStopAndEnd)
{
    auto device = offlineDevice();
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(device->createBuffer(0, format(2, 16), 400, buffer), kAudioOk);
    uint32_t status = 99;
    ASSERT_EQ(buffer->getStatus(status), kAudioOk);
    EXPECT_EQ(status, 0u);
    ASSERT_EQ(buffer->play(kAudioPlayLooping), kAudioOk);
    ASSERT_EQ(buffer->getStatus(status), kAudioOk);
    EXPECT_EQ(status, kAudioStatusPlaying | kAudioStatusLooping);
    ASSERT_EQ(buffer->play(0), kAudioOk); // playing again only changes looping
    ASSERT_EQ(buffer->getStatus(status), kAudioOk);
    EXPECT_EQ(status, kAudioStatusPlaying);
    render16(*device, 99);
    ASSERT_EQ(buffer->getStatus(status), kAudioOk);
    EXPECT_EQ(status, kAudioStatusPlaying);
    render16(*device, 1);
    ASSERT_EQ(buffer->getStatus(status), kAudioOk);
    EXPECT_EQ(status, 0u);
    ASSERT_EQ(buffer->play(0), kAudioOk);
    ASSERT_EQ(buffer->stop(), kAudioOk);
    ASSERT_EQ(buffer->getStatus(status), kAudioOk);
    EXPECT_EQ(status, 0u);
}

// Closing the device leaves its buffers as objects that refuse every call
// and report themselves lost.
TEST(AudioCalls, BuffersOutliveTheirDevice)
{
    auto device = offlineDevice();
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(device->createBuffer(kAllControls, format(2, 16), 4000, buffer), kAudioOk);
    std::unique_ptr<AudioBuffer> copy;
    ASSERT_EQ(device->duplicateBuffer(*buffer, copy), kAudioOk);
    ASSERT_EQ(buffer->play(kAudioPlayLooping), kAudioOk);
    render16(*device, 300);
    device.reset();

    for (AudioBuffer* b : {buffer.get(), copy.get()}) {
        AudioLockedRegion region;
        uint8_t byte = 0;
        uint32_t value = 0;
        int32_t level = 0;
        EXPECT_EQ(b->lock(0, 4, region), kAudioInvalidCall);
        EXPECT_EQ(region.first, nullptr);
        EXPECT_EQ(b->unlock(&byte, 1, nullptr, 0), kAudioInvalidCall);
        EXPECT_EQ(b->play(0), kAudioInvalidCall);
        EXPECT_EQ(b->stop(), kAudioInvalidCall);
        EXPECT_EQ(b->getCurrentPosition(&value, &value), kAudioInvalidCall);
        EXPECT_EQ(b->setCurrentPosition(0), kAudioInvalidCall);
        EXPECT_EQ(b->setVolume(0), kAudioInvalidCall);
        EXPECT_EQ(b->getVolume(level), kAudioInvalidCall);
        EXPECT_EQ(b->setPan(0), kAudioInvalidCall);
        EXPECT_EQ(b->getPan(level), kAudioInvalidCall);
        EXPECT_EQ(b->setFrequency(0), kAudioInvalidCall);
        EXPECT_EQ(b->getFrequency(value), kAudioInvalidCall);
        EXPECT_EQ(b->getStatus(value), kAudioOk);
        EXPECT_EQ(value, kAudioStatusBufferLost);
        EXPECT_EQ(b->bytes(), 4000u);
    }
}

TEST(AudioCalls, DuplicateNeedsABufferOfTheSameDevice)
{
    auto first = offlineDevice();
    auto second = offlineDevice();
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(first->createBuffer(0, format(2, 16), 4000, buffer), kAudioOk);
    std::unique_ptr<AudioBuffer> copy;
    EXPECT_EQ(second->duplicateBuffer(*buffer, copy), kAudioInvalidArgument);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(first->duplicateBuffer(*buffer, copy), kAudioOk);
    EXPECT_EQ(copy->bytes(), 4000u);
}

} // namespace

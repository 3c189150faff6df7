// Positions, end points and loop ranges, in output frames.
#include "memory_host.h"
#include "qzwav_module.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kFrames = 20000;

// 16-bit mono where frame i holds the value i: positions can be read back
// from the samples themselves.
Bytes rampFile(uint32_t frames = kFrames)
{
    Bytes data;
    for (uint32_t i = 0; i < frames; ++i) putLe16(data, static_cast<uint16_t>(i));
    return simpleWave(1, 1, 8000, 16, data);
}

std::vector<uint16_t> samplesOf(const Bytes& pcm)
{
    std::vector<uint16_t> s;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) s.push_back(dw_get_le16(&pcm[i]));
    return s;
}

class Positions : public testing::Test {
protected:
    void SetUp() override
    {
        handle = openBytes(host, rampFile());
        ASSERT_NE(handle, nullptr);
    }
    void TearDown() override
    {
        m.close(host.table(), handle);
        EXPECT_EQ(host.liveBlocks(), 0u);
    }
    std::vector<uint16_t> next(size_t frames) { return samplesOf(decodeSome(host, handle, frames * 2)); }

    const QzwavModule& m = QzwavModule::get();
    MemoryHost host;
    uint8_t* handle = nullptr;
};

struct SetPosCase {
    uint32_t low;
    uint32_t high;
    uint64_t expectedPos;
};

TEST(PositionsSetPos, SetPosMovesTheReadPositionAndClampsToTheTotal)
{
    const SetPosCase cases[] = {
        {0, 0, 0},
        {1, 0, 1},
        {12345, 0, 12345},
        {kFrames - 1, 0, kFrames - 1},
        {kFrames, 0, kFrames},
        {kFrames + 7, 0, kFrames},
        {5, 1, kFrames},
    };
    const QzwavModule& m = QzwavModule::get();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.low);
        MemoryHost host;
        uint8_t* handle = openBytes(host, rampFile());
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(m.setPosition(host.table(), handle, c.low, c.high), 0);
        EXPECT_EQ(m.getPosition(host.table(), handle), c.expectedPos);
        std::vector<uint16_t> s = samplesOf(decodeSome(host, handle, 2));
        if (c.expectedPos < kFrames) {
            ASSERT_EQ(s.size(), 1u);
            EXPECT_EQ(s[0], c.expectedPos);
        } else {
            EXPECT_TRUE(s.empty());
            EXPECT_NE(m.isEnd(host.table(), handle), 0);
        }
        m.close(host.table(), handle);
    }
}

TEST_F(Positions, SetPosKeepsWhatIsAlreadyBuffered)
{
    EXPECT_EQ(next(1), std::vector<uint16_t>{0});
    ASSERT_EQ(m.setPosition(host.table(), handle, 100, 0), 0);
    EXPECT_EQ(m.getPosition(host.table(), handle), 100u);
    EXPECT_EQ(next(1), std::vector<uint16_t>{1});
}

TEST_F(Positions, GetPosReportsTheReadPositionAheadOfWhatWasTaken)
{
    EXPECT_EQ(m.getPosition(host.table(), handle), 0u);
    next(10);
    // One refill read a whole 32 KiB piece: 16384 frames.
    EXPECT_EQ(m.getPosition(host.table(), handle), 16384u);
}

TEST_F(Positions, EndPointStopsTheData)
{
    struct EndCase {
        uint32_t low;
        uint32_t high;
        size_t frames;
    };
    const EndCase cases[] = {{100, 0, 100}, {0, 0, kFrames}, {kFrames + 1, 0, kFrames}, {1, 1, kFrames}, {1, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.low);
        ASSERT_EQ(m.setPosition(host.table(), handle, 0, 0), 0);
        ASSERT_EQ(m.setEnd(host.table(), handle, c.low, c.high), 0);
        std::vector<uint16_t> s = samplesOf(decodeAll(host, handle));
        ASSERT_EQ(s.size(), c.frames);
        EXPECT_EQ(s.back(), c.frames - 1);
        EXPECT_NE(m.isEnd(host.table(), handle), 0);
    }
}

TEST_F(Positions, LoopRepeatsTheRangeAndNeverEnds)
{
    ASSERT_EQ(m.setEnd(host.table(), handle, 50, 0), 0);
    ASSERT_EQ(m.setLoop(host.table(), handle, 10, 0, 20, 0), 0);
    std::vector<uint16_t> s = next(45);
    ASSERT_EQ(s.size(), 45u);
    // From frame 0 up to the loop end, then 10..19 again and again.
    for (size_t i = 0; i < s.size(); ++i) {
        uint16_t expected = i < 20 ? static_cast<uint16_t>(i) : static_cast<uint16_t>(10 + (i - 20) % 10);
        EXPECT_EQ(s[i], expected) << i;
    }
    EXPECT_EQ(m.isEnd(host.table(), handle), 0);
    // Switching the loop off lets the stream run to its end point.
    ASSERT_EQ(m.setLoop(host.table(), handle, 0, 0, 0, 0), 0);
    std::vector<uint16_t> rest = samplesOf(decodeAll(host, handle));
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.back(), 49);
    EXPECT_NE(m.isEnd(host.table(), handle), 0);
}

TEST_F(Positions, LoopKeepsGoingPastTheEndOfTheData)
{
    ASSERT_EQ(m.setLoop(host.table(), handle, kFrames - 3, 0, kFrames, 0), 0);
    ASSERT_EQ(m.setPosition(host.table(), handle, kFrames - 3, 0), 0);
    std::vector<uint16_t> s = next(9);
    ASSERT_EQ(s.size(), 9u);
    for (size_t i = 0; i < s.size(); ++i) EXPECT_EQ(s[i], kFrames - 3 + i % 3);
    EXPECT_EQ(m.isEnd(host.table(), handle), 0);
}

TEST_F(Positions, ReadPositionBehindTheLoopEndJumpsToTheLoopStart)
{
    ASSERT_EQ(m.setPosition(host.table(), handle, 500, 0), 0);
    ASSERT_EQ(m.setLoop(host.table(), handle, 10, 0, 20, 0), 0);
    std::vector<uint16_t> s = next(3);
    EXPECT_EQ(s, (std::vector<uint16_t>{10, 11, 12}));
}

TEST_F(Positions, RefusedLoopRangesChangeNothing)
{
    struct LoopCase {
        uint32_t start;
        uint32_t end;
        int result;
    };
    const LoopCase cases[] = {
        {1000, 1000, 2}, {2000, 1000, 2}, {kFrames, kFrames + 5, 2}, {kFrames + 1, 0, 2}, {0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        ASSERT_EQ(m.setLoop(host.table(), handle, 0, 0, 0, 0), 0);
        EXPECT_EQ(m.setLoop(host.table(), handle, c.start, 0, c.end, 0), c.result);
        EXPECT_EQ(m.isEnd(host.table(), handle), 0);
    }
}

TEST(PositionsWithoutHandle, MissingHandleIsRefused)
{
    const QzwavModule& m = QzwavModule::get();
    MemoryHost host;
    EXPECT_EQ(m.setPosition(host.table(), nullptr, 0, 0), 2);
    EXPECT_EQ(m.setEnd(host.table(), nullptr, 0, 0), 2);
    EXPECT_EQ(m.setLoop(host.table(), nullptr, 1, 0, 2, 0), 2);
    EXPECT_EQ(m.getPosition(host.table(), nullptr), 0u);
    EXPECT_NE(m.isEnd(host.table(), nullptr), 0);
    uint8_t buffer[4];
    EXPECT_EQ(m.decode(host.table(), nullptr, buffer, 4), 0u);
}

TEST(PositionsEmptyData, ZeroFramesNeverDivideByZero)
{
    const QzwavModule& m = QzwavModule::get();
    MemoryHost host;
    uint8_t* handle = openBytes(host, rampFile(0));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(dw_get_le32(handle + DW_RECORD_FRAMES), 0u);
    EXPECT_EQ(m.setPosition(host.table(), handle, 5, 0), 0);
    EXPECT_EQ(m.getPosition(host.table(), handle), 0u);
    EXPECT_EQ(m.setEnd(host.table(), handle, 5, 0), 0);
    EXPECT_EQ(m.setLoop(host.table(), handle, 0, 0, 5, 0), 2);
    EXPECT_TRUE(decodeAll(host, handle).empty());
    EXPECT_NE(m.isEnd(host.table(), handle), 0);
    m.close(host.table(), handle);
}

TEST(PositionsPartialBlock, TrailingBytesShorterThanAFrameEndTheStream)
{
    const QzwavModule& m = QzwavModule::get();
    MemoryHost host;
    // 16-bit stereo with 2 frames and 3 stray bytes.
    uint8_t* handle = openBytes(host, simpleWave(1, 2, 8000, 16, Bytes{1, 0, 2, 0, 3, 0, 4, 0, 9, 9, 9}));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(dw_get_le32(handle + DW_RECORD_FRAMES), 2u);
    EXPECT_EQ(decodeAll(host, handle).size(), 8u);
    EXPECT_NE(m.isEnd(host.table(), handle), 0);
    // A loop to the end stays inside the whole frames.
    EXPECT_EQ(m.setLoop(host.table(), handle, 1, 0, 2, 0), 0);
    EXPECT_EQ(samplesOf(decodeSome(host, handle, 8)), (std::vector<uint16_t>{3, 4, 3, 4}));
    m.close(host.table(), handle);
}

} // namespace

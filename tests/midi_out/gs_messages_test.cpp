// Which GS part messages and system resets the synthesizer recognises.
#include "gs_messages.h"
#include "gs_part_message.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(GsMessages, PartMessagesNameTheirChannel)
{
    struct Case {
        uint8_t block;
        int channel;
    };
    // Block 0 is part 10, the rhythm part; the others follow the parts.
    const Case cases[] = {{0, 9}, {1, 0}, {5, 4}, {9, 8}, {0xA, 10}, {0xF, 15}};
    for (const Case& c : cases) {
        const Bytes m = partMessage(c.block, platform::gs::kScaleTuning, Bytes(12, 64));
        const auto part = platform::gs::parsePartMessage(m.data(), m.size());
        ASSERT_TRUE(part) << int(c.block);
        EXPECT_EQ(part->channel, c.channel);
        EXPECT_EQ(part->address, platform::gs::kScaleTuning);
        EXPECT_EQ(part->count, 12u);
        EXPECT_EQ(part->data, m.data() + 8);
    }
}

TEST(GsMessages, OtherBytesAreNotPartMessages)
{
    Bytes badSum = partMessage(1, 0x15, {1});
    badSum[badSum.size() - 2] ^= 1;
    Bytes otherModel = partMessage(1, 0x15, {1});
    otherModel[3] = 0x45;
    Bytes systemBlock = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    Bytes unterminated = partMessage(1, 0x15, {1});
    unterminated.pop_back();
    Bytes highByte = partMessage(1, 0x15, {0x80});
    const Bytes cases[] = {badSum, otherModel, systemBlock, unterminated, highByte, {0xF0, 0xF7}, {}};
    for (const Bytes& m : cases) EXPECT_FALSE(platform::gs::parsePartMessage(m.data(), m.size())) << m.size();
    EXPECT_FALSE(platform::gs::parsePartMessage(nullptr, 12));
}

TEST(GsMessages, SystemResets)
{
    struct Case {
        Bytes bytes;
        bool reset;
    };
    const Case cases[] = {
        {{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, true},                                // GM system on
        {{0xF0, 0x7E, 0x10, 0x09, 0x03, 0xF7}, true},                                // GM2 on, any device
        {{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, true},  // GS reset
        {{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}, true},              // XG on
        {{0xF0, 0x7E, 0x7F, 0x08, 0x01, 0xF7}, false},                               // a tuning dump request
        {{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x04, 0x7F, 0x3D, 0xF7}, false}, // master volume
        {{0xF0, 0x7E, 0x7F, 0x09, 0x01}, false},                                     // unterminated
    };
    for (const Case& c : cases) EXPECT_EQ(platform::gs::isSystemReset(c.bytes.data(), c.bytes.size()), c.reset);
}

} // namespace

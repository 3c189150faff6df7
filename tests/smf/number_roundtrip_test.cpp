// The writer's numbers read back by the reader: both sides must agree on
// every width and on where a variable-length quantity stops.
#include "smf/byte_cursor.h"
#include "smf/smf_bytes.h"
#include "smf/smf_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(NumberRoundTripTest, VlqReadsBackAtEachLengthBoundary)
{
    for (uint32_t value : {0u, 0x7Fu, 0x80u, 0x3FFFu, 0x4000u, 0x1FFFFFu, 0x200000u, 0x0FFFFFFFu}) {
        Bytes out;
        ASSERT_TRUE(smf::appendVlq(out, value)) << std::hex << value;
        out.push_back(0x55); // whatever follows stays unread
        smf::ByteCursor in(out.data(), out.size());
        uint32_t back = 0;
        EXPECT_EQ(smf::readVlq(in, back), smf::ReadError::None) << std::hex << value;
        EXPECT_EQ(back, value);
        EXPECT_EQ(in.left(), 1u) << std::hex << value;
    }
}

TEST(NumberRoundTripTest, VlqLimitsMatchOnBothSides)
{
    struct Row {
        const char* name;
        Bytes bytes;
        smf::ReadError error;
    };
    const std::vector<Row> table = {
        {"five_groups", {0x81, 0x80, 0x80, 0x80, 0x00}, smf::ReadError::DeltaTooLong},
        {"four_open_groups", {0xFF, 0xFF, 0xFF, 0xFF}, smf::ReadError::DeltaTooLong},
        {"cut_after_three", {0x81, 0x80, 0x80}, smf::ReadError::NotEnoughSize},
        {"empty", {}, smf::ReadError::NotEnoughSize},
    };
    for (const Row& row : table) {
        smf::ByteCursor in(row.bytes.data(), row.bytes.size());
        uint32_t value = 0;
        EXPECT_EQ(smf::readVlq(in, value), row.error) << row.name;
    }
    Bytes out;
    EXPECT_FALSE(smf::appendVlq(out, smf::kMaxVlq + 1));
}

TEST(NumberRoundTripTest, BigEndianFieldsReadBack)
{
    for (uint32_t value : {0u, 0x01u, 0x1234u, 0xFFFFu, 0x00010000u, 0x12345678u, 0xFFFFFFFFu}) {
        Bytes out;
        smf::appendBe16(out, uint16_t(value));
        smf::appendBe32(out, value);
        smf::ByteCursor in(out.data(), out.size());
        uint16_t shortBack = 0;
        uint32_t longBack = 0;
        ASSERT_TRUE(in.readBe16(shortBack));
        ASSERT_TRUE(in.readBe32(longBack));
        EXPECT_EQ(shortBack, uint16_t(value)) << std::hex << value;
        EXPECT_EQ(longBack, value) << std::hex << value;
        EXPECT_FALSE(in.readBe16(shortBack)); // nothing left
    }
}

} // namespace

// The 20-byte format record helpers of the contract header, byte by byte.
#include "qzdecoder.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct RecordCase {
    dw_format format;
    std::array<uint8_t, DW_RECORD_SIZE> bytes;
};

const RecordCase kRecords[] = {
    {{2, 2, 31, 1, 44100, 123456}, {2, 2, 31, 1, 0x44, 0xAC, 0, 0, 0x40, 0xE2, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {{1, 1, 0, 0, 100, 0}, {1, 1, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {{2, 1, 16, 7, 0xFFFFFFFFu, 0x80000001u},
     {2, 1, 16, 7, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0}},
};

TEST(FormatRecord, WritesAndReadsLittleEndianFields)
{
    for (const auto& c : kRecords) {
        std::array<uint8_t, DW_RECORD_SIZE> record;
        record.fill(0xCC); // reserved bytes must be cleared, not left
        dw_format_write(record.data(), &c.format);
        EXPECT_EQ(record, c.bytes);
        dw_format back = dw_format_read(c.bytes.data());
        EXPECT_EQ(back.channels, c.format.channels);
        EXPECT_EQ(back.sample_bytes, c.format.sample_bytes);
        EXPECT_EQ(back.flags, c.format.flags);
        EXPECT_EQ(back.version, c.format.version);
        EXPECT_EQ(back.rate, c.format.rate);
        EXPECT_EQ(back.frames, c.format.frames);
    }
}

} // namespace

// Malformed files: the error each one gets and the text that stays written.
#include "smf_bytes.h"

#include "smf/read_error.h"

#include <gtest/gtest.h>

namespace mid2kvt_test {
namespace {

using smf::ReadError;

struct ErrorCase {
    const char* name;
    Bytes file;
    ReadError error;
    std::string text; // what the output holds when the error stops it
};

const std::string kHeader = "#0 %1920 `+1 /----------\r\n";
const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};
const std::string kEndText = " /[end of track]\r\n\r\n";

Bytes headerWithLength(uint32_t length, const Bytes& rest) { return tag("MThd") + be32(length) + rest; }

std::vector<ErrorCase> errorCases()
{
    const Bytes goodTrack = mtrk(kEnd);
    return {
        {"riff_file", tag("RIFF") + be32(4) + tag("WAVE"), ReadError::MthdNotMatch, ""},
        {"empty_file", {}, ReadError::NotEnoughSize, ""},
        {"three_bytes", {'M', 'T', 'h'}, ReadError::NotEnoughSize, ""},
        {"header_length_five", headerWithLength(5, be16(0) + be16(1) + be16(480)), ReadError::MthdFormat, ""},
        {"header_length_beyond_file", headerWithLength(100, be16(0) + be16(1) + be16(480)), ReadError::NotEnoughSize,
         ""},
        {"header_without_length", tag("MThd") + Bytes{0, 0}, ReadError::NotEnoughSize, ""},
        {"division_zero", mthd(0, 1, 0) + goodTrack, ReadError::MthdFormat, ""},
        {"second_announced_chunk_missing", mthd(1, 2, 480) + goodTrack, ReadError::NotEnoughSize, kHeader + kEndText},
        {"other_chunk_between_tracks", mthd(1, 2, 480) + goodTrack + tag("XFIH") + be32(0) + goodTrack,
         ReadError::MtrkNotMatch, kHeader + kEndText},
        {"chunk_length_beyond_file", mthd(0, 1, 480) + tag("MTrk") + be32(5) + kEnd, ReadError::NotEnoughSize, ""},
        {"five_byte_delta", mthd(0, 1, 480) + mtrk({0x81, 0x80, 0x80, 0x80, 0x00, 0xC0, 0x00}), ReadError::DeltaTooLong,
         kHeader},
        {"truncated_delta", mthd(0, 1, 480) + mtrk({0x81, 0x80}), ReadError::NotEnoughSize, kHeader},
        {"running_status_at_track_start", mthd(0, 1, 480) + mtrk({0x00, 0x3C, 0x40}), ReadError::NotEnoughSize,
         kHeader},
        {"running_status_after_sysex_without_channel_status",
         mthd(0, 1, 480) + mtrk({0x00, 0xF0, 0x01, 0xF7, 0x00, 0x01}), ReadError::NotEnoughSize,
         kHeader + " ${f0f7}\r\n"},
        {"running_status_after_meta_without_channel_status",
         mthd(0, 1, 480) + mtrk({0x00, 0xFF, 0x06, 0x00, 0x00, 0x01}), ReadError::NotEnoughSize, kHeader + " ?6"},
        {"system_common_status", mthd(0, 1, 480) + mtrk({0x00, 0xF1, 0x00}), ReadError::NotEnoughSize, kHeader},
        {"realtime_status", mthd(0, 1, 480) + mtrk({0x00, 0xF8}), ReadError::NotEnoughSize, kHeader},
        {"missing_velocity", mthd(0, 1, 480) + mtrk({0x00, 0x90, 0x3C}), ReadError::NotEnoughSize, kHeader},
        {"sysex_longer_than_chunk", mthd(0, 1, 480) + mtrk({0x00, 0xF0, 0x05, 0x01}), ReadError::NotEnoughSize,
         kHeader},
        {"sysex_length_of_five_bytes", mthd(0, 1, 480) + mtrk({0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}),
         ReadError::DeltaTooLong, kHeader},
        {"meta_without_type", mthd(0, 1, 480) + mtrk({0x00, 0xFF}), ReadError::NotEnoughSize, kHeader},
        // The note's length cannot be known, so the error stops the text at
        // the note-on; the lines written before it stay.
        {"note_before_broken_event",
         mthd(0, 1, 480) + mtrk({0x00, 0xFF, 0x03, 0x01, 'A', 0x00, 0x90, 0x3C, 0x64, 0x00, 0xF1}),
         ReadError::NotEnoughSize, kHeader + " ?3\"A\"\r\n"},
        {"note_ended_before_broken_event",
         mthd(0, 1, 480) + mtrk({0x00, 0xFF, 0x03, 0x01, 'A', 0x00, 0x90, 0x3C, 0x64, 0x10, 0x3C, 0x00, 0x00, 0xFF,
                                 0x01, 0x01, 'B', 0x00, 0xF1}),
         ReadError::NotEnoughSize, kHeader + " ?3\"A\"\r\n :0 u100 o4c*16 r*16\r\n ?1\"B\"\r\n"},
    };
}

class ReaderErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ReaderErrorTest, StopsWithItsErrorAndKeepsEarlierLines)
{
    const ErrorCase& c = GetParam();
    const Converted out = convert(c.file);
    EXPECT_EQ(out.error, c.error);
    EXPECT_EQ(out.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Malformed, ReaderErrorTest, ::testing::ValuesIn(errorCases()),
                         [](const auto& p) { return std::string(p.param.name); });

struct AcceptedCase {
    const char* name;
    Bytes file;
    int tracksWritten;
};

TEST(ReaderAcceptsTest, ConvertsEveryAnnouncedTrack)
{
    const Bytes track = mtrk(kEnd);
    const std::vector<AcceptedCase> cases = {
        {"format_0", mthd(0, 1, 96) + track, 1},
        {"format_2_read_as_format_1", mthd(2, 3, 96) + track + track + track, 3},
        {"bytes_after_last_chunk_ignored", mthd(1, 1, 96) + track + tag("junk") + Bytes{1, 2}, 1},
        {"fewer_tracks_announced_than_present", mthd(1, 1, 96) + track + track, 1},
        {"no_tracks", mthd(1, 0, 96), 0},
        {"long_header", headerWithLength(8, be16(1) + be16(1) + be16(96) + be16(0)) + track, 1},
        {"time_code_division_as_number", mthd(1, 1, 0xE728) + track, 1},
    };
    for (const AcceptedCase& c : cases) {
        const Converted out = convert(c.file);
        EXPECT_EQ(out.error, ReadError::None) << c.name;
        size_t headers = 0;
        for (size_t at = out.text.find("`+1 /"); at != std::string::npos; at = out.text.find("`+1 /", at + 1))
            ++headers;
        EXPECT_EQ(headers, size_t(c.tracksWritten)) << c.name;
    }
    EXPECT_EQ(convert(mthd(1, 1, 0xE728) + track).text.substr(0, 10), "#0 %236704");
}

TEST(ReadErrorMessageTest, EveryCodeHasItsText)
{
    const std::vector<std::pair<uint32_t, const char*>> table = {
        {0x40000, "CON\\CON-Proof affected."}, {0x40001, "Not have enough size."}, {0x40002, "'MThd' not match."},
        {0x40003, "'MThd' format error."},     {0x40004, "'MTrk' not match."},     {0x40005, "Deltatime too long."},
    };
    for (const auto& [code, text] : table) EXPECT_STREQ(smf::readErrorMessage(code), text) << std::hex << code;
    EXPECT_EQ(smf::readErrorMessage(0x40006), nullptr);
    EXPECT_EQ(smf::readErrorMessage(0x30002), nullptr);
}

} // namespace
} // namespace mid2kvt_test

// Byte-exact KVT text for small MIDI files.
#include "smf_bytes.h"

#include <gtest/gtest.h>

namespace mid2kvt_test {
namespace {

struct TextCase {
    const char* name;
    Bytes file;
    std::string text;
};

const std::string kHeader480 = "#0 %1920 `+1 /----------\r\n";
const std::string kHeader96 = "#0 %384 `+1 /----------\r\n";
const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

Bytes oneTrack(uint16_t division, const Bytes& events) { return mthd(0, 1, division) + mtrk(events); }

std::string repeated(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::vector<TextCase> textCases()
{
    Bytes programChanges{0x00, 0xC0, 0x00};
    for (int i = 1; i < 25; ++i) programChanges = programChanges + Bytes{0x00, 0x00};

    return {
        {"two_notes_with_tempo",
         oneTrack(480, Bytes{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x3C, 0x64, 0x83, 0x60,
                             0x80, 0x3C, 0x40, 0x00, 0x90, 0x3E, 0x64, 0x83, 0x60, 0x80, 0x3E, 0x40} +
                           kEnd),
         kHeader480 + " t*266 :0 u100 o4c*480 r*480 d*480 r*480\r\n /[end of track]\r\n\r\n"},
        {"track_name_and_time_signature",
         mthd(1, 2, 96) + mtrk(Bytes{0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08} + kEnd) +
             mtrk(Bytes{0x00, 0xFF, 0x03, 0x05} + textBytes("Piano") + kEnd),
         kHeader96 + " ?88{04021808}\r\n /[end of track]\r\n\r\n" +
             "#1 `+1 /----------\r\n ?3\"Piano\"\r\n /[end of track]\r\n\r\n"},
        {"texts_quoted_or_hex",
         oneTrack(96, Bytes{0x00, 0xFF, 0x01, 0x03, 'a',  '"',  'b',  0x00, 0xFF, 0x01, 0x02, 0x41, 0x0A, 0x00, 0xFF,
                            0x05, 0x02, 0xE3, 0x81, 0x00, 0xFF, 0x59, 0x02, 0x41, 0x42, 0x00, 0xFF, 0x01, 0x01, 0x7F}),
         kHeader96 + " ?1{612262}\r\n ?1{410a}\r\n ?5\"\xE3\x81\"\r\n ?89{4142}\r\n ?1{7f}\r\n\r\n"},
        {"running_status_goes_on_after_sysex_and_meta",
         oneTrack(480, {0x00, 0x90, 0x3C, 0x64, 0x00, 0xF0, 0x01, 0xF7, 0x10, 0x3C, 0x00,
                        0x00, 0xFF, 0x06, 0x01, 'A',  0x00, 0x3E, 0x64, 0x10, 0x3E, 0x00}),
         kHeader480 + " :0 u100 o4c*16\r\n ${f0f7}\r\n r*16\r\n ?6\"A\"\r\n d*16\r\n\r\n"},
        {"data_bytes_above_127_read_as_127",
         oneTrack(480,
                  {0x00, 0x90, 0x3C, 0xCC, 0x10, 0x80, 0x3C, 0x00, 0x00, 0xB0, 0x07, 0x80, 0x00, 0x90, 0xBC, 0x40}),
         kHeader480 + " :0 u127 o4c*16 r*16 v127 u64 o9g*0\r\n\r\n"},
        {"program_and_bend_ends",
         oneTrack(480, {0x00, 0xC0, 0x00, 0x00, 0xE0, 0x00, 0x40, 0x00, 0x7F, 0x7F, 0x00, 0xE0, 0x00, 0x00}),
         kHeader480 + " :0 @1 k0 k8191 k-8192\r\n\r\n"},
        {"controllers_and_pressures",
         oneTrack(480, {0x00, 0xB3, 0x00, 0x01, 0x00, 0xB3, 0x20, 0x02, 0x00, 0xB3, 0x0B, 0x70, 0x00, 0xB3, 0x40,
                        0x7F, 0x00, 0xD3, 0x30, 0x00, 0xB3, 0x07, 0x64, 0x00, 0xB3, 0x0A, 0x40, 0x00, 0xC3, 0x7F}),
         kHeader480 + " :3 i1 i,2 x112 y64,127 z48 v100 p64 @128\r\n\r\n"},
        {"key_pressure_sets_the_octave",
         oneTrack(480, {0x00, 0xA0, 0x3D, 0x40, 0x00, 0x90, 0x3C, 0x64, 0x00, 0x80, 0x3C, 0x00}),
         kHeader480 + " :0 zo4c+64 u100 c*0\r\n\r\n"},
        {"tempo_of_one_microsecond", oneTrack(480, {0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x01}),
         kHeader480 + " t*1\r\n\r\n"},
        {"largest_tempo_needs_no_clamp", oneTrack(1, {0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF}),
         "#0 %4 `+1 /----------\r\n t*4294967\r\n\r\n"},
        {"short_tempo_kept_as_meta",
         oneTrack(480, {0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1, 0x00, 0xC0, 0x00, 0x00, 0xFF, 0x51, 0x00}),
         kHeader480 + " ?81{07a1}\r\n :0 @1 ?81\r\n"},
        {"sysex_after_rest",
         oneTrack(480, Bytes{0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x80, 0x3C, 0x00, 0x83, 0x60, 0xF0,
                             0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xF7, 0x02, 0xF3, 0x01} +
                           kEnd),
         kHeader480 + " :0 u100 o4c*480 r*960\r\n ${f07e7f0901f7}\r\n ${f301}\r\n /[end of track]\r\n\r\n"},
        {"same_key_on_another_channel_ends_the_note",
         oneTrack(
             96, Bytes{0x00, 0x90, 0x3C, 0x64, 0x60, 0x91, 0x3C, 0x50, 0x60, 0x80, 0x3C, 0x00, 0x60, 0x81, 0x3C, 0x00} +
                     kEnd),
         kHeader96 + " :0 u100 o4c*96 r*96 :1 u80 c*96 r*192\r\n /[end of track]\r\n\r\n"},
        {"note_without_off_lasts_to_chunk_end",
         oneTrack(96, {0x00, 0x90, 0x40, 0x64, 0x60, 0xB0, 0x07, 0x64, 0x60, 0xB0, 0x0A, 0x40, 0x05, 0x80, 0x41, 0x00}),
         kHeader96 + " :0 u100 o4e*197 r*96 v100 r*96 p64\r\n\r\n"},
        {"low_and_high_octaves", oneTrack(96, {0x00, 0x90, 0x00, 0x01, 0x00, 0x90, 0x0B, 0x01, 0x00, 0x90, 0x7F, 0x01}),
         kHeader96 + " :0 u1 o-1c*0 b*0 o9g*0\r\n\r\n"},
        {"line_wraps_at_72", oneTrack(480, programChanges),
         kHeader480 + " :0" + repeated(" @1", 23) + "\r\n @1 @1\r\n\r\n"},
        {"meta_without_data_continues_the_line",
         oneTrack(480, {0x00, 0xC0, 0x00, 0x00, 0xFF, 0x06, 0x00, 0x00, 0xC0, 0x01}),
         kHeader480 + " :0 @1 ?6 @2\r\n\r\n"},
        {"time_after_last_item_is_dropped", oneTrack(480, {0x00, 0xC0, 0x00, 0x83, 0x60, 0x80, 0x3C, 0x00}),
         kHeader480 + " :0 @1\r\n\r\n"},
        {"empty_chunk", oneTrack(480, {}), kHeader480 + "\r\n"},
        {"huge_division_written_as_is", oneTrack(0x4000, {}), "#0 %65536 `+1 /----------\r\n\r\n"},
    };
}

class KvtTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(KvtTextTest, WritesExactText)
{
    const TextCase& c = GetParam();
    const Converted out = convert(c.file);
    EXPECT_EQ(out.error, smf::ReadError::None);
    EXPECT_EQ(out.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Examples, KvtTextTest, ::testing::ValuesIn(textCases()),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace mid2kvt_test

// What a file's text cannot say as the file did: clamped data bytes and the
// first limit of KVT text passed, with the track that passed it, each told
// once per file; files at the limits pass quietly.
#include "smf_bytes.h"

#include "mid2kvt/import_notes.h"

#include <gtest/gtest.h>

namespace mid2kvt_test {
namespace {

using mid2kvt::TextLimit;

Bytes metaOf(size_t n) { return Bytes{0x00, 0xFF, 0x01} + vlq(uint32_t(n)) + Bytes(n, 'x'); }
Bytes sysexOf(uint8_t status, size_t n) { return Bytes{0x00, status} + vlq(uint32_t(n)) + Bytes(n, 0x01); }

Bytes tracks(uint16_t count)
{
    Bytes file = mthd(1, count, 96);
    for (uint16_t i = 0; i < count; ++i) file = file + mtrk({});
    return file;
}

struct NotesCase {
    const char* name;
    Bytes file;
    bool clamped;
    TextLimit limit;
    uint32_t track, value;
};

std::vector<NotesCase> notesCases()
{
    return {
        {"plain_file", mthd(0, 1, 96) + mtrk({0x00, 0x90, 0x3C, 0x64}), false, TextLimit::None, 0, 0},
        {"velocity_0xCC", mthd(0, 1, 96) + mtrk({0x00, 0x90, 0x3C, 0xCC, 0x00, 0x3E, 0xCC}), true, TextLimit::None, 0,
         0},
        {"controller_value_0x80", mthd(0, 1, 96) + mtrk({0x00, 0xB0, 0x07, 0x80}), true, TextLimit::None, 0, 0},
        {"meta_of_255_bytes", mthd(0, 1, 96) + mtrk(metaOf(255)), false, TextLimit::None, 0, 0},
        {"meta_of_256_bytes_in_track_1", mthd(1, 2, 96) + mtrk({}) + mtrk(metaOf(256)), false, TextLimit::MetaTooLong,
         1, 256},
        {"sysex_f0_of_254_bytes", mthd(0, 1, 96) + mtrk(sysexOf(0xF0, 254)), false, TextLimit::None, 0, 0},
        {"sysex_f0_of_255_bytes", mthd(0, 1, 96) + mtrk(sysexOf(0xF0, 255)), false, TextLimit::SysexTooLong, 0, 256},
        {"sysex_f7_of_255_bytes", mthd(0, 1, 96) + mtrk(sysexOf(0xF7, 255)), false, TextLimit::None, 0, 0},
        {"sysex_f7_of_256_bytes", mthd(0, 1, 96) + mtrk(sysexOf(0xF7, 256)), false, TextLimit::SysexTooLong, 0, 256},
        {"256_tracks", tracks(256), false, TextLimit::None, 0, 0},
        {"257_tracks", tracks(257), false, TextLimit::TooManyTracks, 256, 257},
        {"division_16383", mthd(0, 1, 16383) + mtrk({}), false, TextLimit::None, 0, 0},
        {"division_16384", mthd(0, 1, 16384) + mtrk({}), false, TextLimit::DivisionTooLarge, 0, 65536},
        {"first_limit_is_told", mthd(1, 2, 96) + mtrk(sysexOf(0xF7, 300)) + mtrk(metaOf(400)), false,
         TextLimit::SysexTooLong, 0, 300},
    };
}

class ImportNotesTest : public ::testing::TestWithParam<NotesCase> {};

TEST_P(ImportNotesTest, TellsWhatTheTextCannotSay)
{
    const NotesCase& c = GetParam();
    const Converted out = convert(c.file);
    ASSERT_EQ(out.error, smf::ReadError::None);
    EXPECT_EQ(out.notes.clampedData, c.clamped);
    EXPECT_EQ(out.notes.limit, c.limit);
    if (c.limit != TextLimit::None) {
        EXPECT_EQ(out.notes.limitTrack, c.track);
        EXPECT_EQ(out.notes.limitValue, c.value);
    }
    EXPECT_EQ(mid2kvt::importNoteMessages(out.notes).size(), (c.clamped ? 1u : 0u) + (c.limit != TextLimit::None));
}

INSTANTIATE_TEST_SUITE_P(Files, ImportNotesTest, ::testing::ValuesIn(notesCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ImportNoteMessages, NameTheLimitAndTheTrack)
{
    mid2kvt::ImportNotes notes;
    notes.clampedData = true;
    notes.pass(TextLimit::MetaTooLong, 3, 300);
    notes.pass(TextLimit::TooManyTracks, 256, 300);
    EXPECT_EQ(mid2kvt::importNoteMessages(notes),
              (std::vector<std::string>{"Data bytes above 127 were read as 127.",
                                        "Track 3: a meta event of 300 bytes is past the 255 an info item takes; the "
                                        "text will not compile."}));
}

} // namespace
} // namespace mid2kvt_test

// The compile entry: the whole image of a small text, files created or
// not, reserved device names, file errors, case, the in-memory image and
// the version.
#include "compile_helper.h"

#include "util/uerr.h"
#include "zem/command_words.h"
#include "zemcmain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace kvt_test {
namespace {

TEST(CompileEntry, SingleNoteGivesTheWholeImage)
{
    Compiled c = compileText("c");
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.callbackCalls, 0);
    const std::vector<uint8_t> expected = {'Q',  'O',  'R',  'S',  'Z',  'E', 'M', ':',
                                           '0',  '.',  '4',  '7',  0,    0,   0,   0, // magic and version
                                           1,    0,    192,  0,                       // tracks, timebase
                                           0,    0,    0,    0,    0,    0,   0,   0, // title, notice
                                           8,    0,    0,    0,                       // extension size
                                           48,   0,    0,    0,    6,    0,   0,   0, // track table
                                           0,    0,    0,    0,    0,    0,   0,   0, // extension block
                                           0xBC, 0xC1, 0x30, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(c.image, expected);
}

TEST(CompileEntry, TextWithoutContentCreatesNoFile)
{
    for (const char* text : {"", "/ comment only\n%96\n=268,3", "#1 r4 l8 o5 [ ]", "c #5"}) {
        Compiled c = compileText(text);
        if (std::string(text) == "c #5") {
            EXPECT_EQ(c.result, 0); // track 0 holds the note; track 5 stays absent
            EXPECT_EQ(c.image[16], 1);
            continue;
        }
        EXPECT_EQ(c.result, -1) << text;
        EXPECT_EQ(c.message, "Empty effective track.") << text;
        EXPECT_FALSE(c.fileExists) << text;
    }
}

TEST(CompileEntry, NotesAfterASelectionMakeThatTheOnlyTrack)
{
    Compiled c = compileText("r4 #3 c");
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.image[16], 1);
    EXPECT_EQ(hexWords(trackWords(c.image, 0)), "C1BC 0030 FFFF") << "the rest belongs to track 0 only";
}

TEST(CompileEntry, ErrorInTheSecondTrackLeavesATruncatedFile)
{
    Compiled c = compileText("#0 c #1 d W5 #2 e");
    EXPECT_EQ(c.result, -1);
    EXPECT_EQ(c.message, "Missing track in 1.");
    ASSERT_TRUE(c.fileExists);
    // zeroed header, table and extension (64 bytes), track 0 with its
    // table entry, then what track 1 wrote before the error
    ASSERT_EQ(c.image.size(), 64u + 6u + 4u);
    EXPECT_TRUE(std::all_of(c.image.begin(), c.image.begin() + 32, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(zem::readU32(&c.image[32]), 64u);
    EXPECT_EQ(zem::readU32(&c.image[36]), 6u);
    EXPECT_EQ(zem::readU32(&c.image[40]), 0u);
    EXPECT_EQ(zem::readU16(&c.image[70]), 0xC1BE);
}

TEST(CompileEntry, NullCallbackStillFails)
{
    std::string path = scratchDir() + "/silent.zem";
    std::string text = "c ]";
    EXPECT_EQ(zemc(reinterpret_cast<const uint8_t*>(text.data()), 3, nullptr, path.c_str(), 0, nullptr, nullptr), -1);
}

TEST(CompileEntry, NullTextOfLengthZeroIsAnEmptyText)
{
    std::string path = scratchDir() + "/null-text.zem";
    Compiled c;
    auto record = [](void* user, const char* message, const char*) { static_cast<Compiled*>(user)->message = message; };
    EXPECT_EQ(zemc(nullptr, 0, nullptr, path.c_str(), 0, record, &c), -1);
    EXPECT_EQ(c.message, "Empty effective track.");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(CompileEntry, ReservedDeviceNamesAreRefusedWithoutAFile)
{
    for (const char* name : {"CON.zem", "con", "aux.zem", "LPT1.zem", "song$"}) {
        Compiled c = compileText("c", 0, name);
        EXPECT_EQ(c.result, 0x40000) << name;
        EXPECT_EQ(c.callbackCalls, 0) << name;
        EXPECT_FALSE(c.fileExists) << name;
    }
    EXPECT_EQ(compileText("c", 0, "console.zem").result, 0);
}

TEST(CompileEntry, UnwritableOutputReportsTheFullPath)
{
    std::string dir = scratchDir() + "/missing-folder";
    Compiled c = compileText("c", 0, "missing-folder/../missing-folder/out.zem");
    EXPECT_EQ(c.result, -1);
    EXPECT_EQ(c.message, "File cannot write");
    EXPECT_EQ(c.name, dir + "/out.zem");
}

TEST(CompileEntry, OtherUtilityErrorsReachTheCallersFrame)
{
    // a path beyond the path limit is refused by the file layer with a code
    // that the compiler does not report itself
    std::string path = scratchDir() + "/" + std::string(5000, 'x') + ".zem";
    std::string text = "c";
    int calls = 0;
    auto count = [](void* user, const char*, const char*) { ++*static_cast<int*>(user); };
    util::ErrCode code = 0;
    try {
        zemc(reinterpret_cast<const uint8_t*>(text.data()), 1, nullptr, path.c_str(), 0, count, &calls);
    } catch (const util::UerrRaised& e) {
        code = e.code;
    }
    EXPECT_EQ(code, util::kErrFilesetParam);
    EXPECT_EQ(calls, 0);
}

TEST(CompileEntry, ExistingOutputIsReplaced)
{
    std::string path = scratchDir() + "/again.zem";
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(500, 'x');
    }
    std::string text = "c";
    ASSERT_EQ(zemc(reinterpret_cast<const uint8_t*>(text.data()), 1, nullptr, path.c_str(), 0, nullptr, nullptr), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 54u);
}

TEST(CompileEntry, UpperAndLowerCaseGiveTheSameImage)
{
    const char* texts[] = {
        "o4c",
        "t120 l8 cdefgab>c",
        "s+!!-!!! c d e f",
        "v100 p64 x127 y64,0 k-100 z10 zc20",
        "'ceg'2,8 (c g)4 c4&d4&e4 f",
        "i1,2 n1,2,3,4 @5 j-1,+1 m-1,3,100 ${f0 7e}",
        "u100 q50 u*5 q*-3 ~ _ r4",
    };
    for (const char* text : texts) {
        std::string upperText = text;
        std::transform(upperText.begin(), upperText.end(), upperText.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
        Compiled lower = compileText(text);
        Compiled upper = compileText(upperText);
        EXPECT_EQ(lower.result, upper.result) << text;
        EXPECT_EQ(lower.message, upper.message) << text;
        EXPECT_EQ(lower.image, upper.image) << text;
    }
}

TEST(CompileEntry, MemoryImageEqualsTheFile)
{
    // Texts whose tracks are written out of order, seek back for the
    // header, or fail part-way.
    const char* texts[] = {
        "o4c", "#3 c #0 d #200 e", "t120 l8 cdefgab>c", "c4&d4&e4 f ${f0 7e}", "#0 c #1 d W5 #2 e", "", "c #5",
    };
    for (const char* text : texts) {
        Compiled file = compileText(text);
        Compiled memory = compileInMemory(text);
        EXPECT_EQ(memory.result, file.result) << text;
        EXPECT_EQ(memory.message, file.message) << text;
        EXPECT_EQ(memory.name, file.name) << text;
        EXPECT_EQ(memory.callbackCalls, file.callbackCalls) << text;
        if (file.result == 0)
            EXPECT_EQ(memory.image, file.image) << text;
        else
            EXPECT_TRUE(memory.image.empty()) << text << ": a failed compile gives no image";
    }
}

TEST(CompileEntry, VersionIs12035)
{
    EXPECT_EQ(dc_version(), 12035u);
    EXPECT_EQ(dc_version() >> 24, 0u);
}

} // namespace
} // namespace kvt_test

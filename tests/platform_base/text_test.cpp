// Code-page text to UTF-8.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ToUtf8, Conversions)
{
    struct TextCase {
        const char* name;
        std::string bytes;
        const char* charset;
        const char* expected;
    };
    const TextCase cases[] = {
        {"ASCII", "Version 1.0", "CP932", "Version 1.0"},
        {"Shift-JIS kana", "\x83\x65\x83\x58\x83\x67", "CP932", "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"},
        {"half-width kana", "\xB1", "CP932", "\xEF\xBD\xB1"},
        {"Windows-only circled digit", "\x87\x40", "CP932", "\xE2\x91\xA0"},
        {"wave dash maps the Windows way", "\x81\x60", "CP932", "\xEF\xBD\x9E"},
        {"lead byte cut off at the end", "ab\x83", "CP932", "ab\xEF\xBF\xBD"},
        {"invalid trail byte", "a\x81\x20z", "CP932", "a\xEF\xBF\xBD z"},
        {"undefined single byte", "\xA0x", "CP932", "\xEF\xBF\xBDx"},
        {"euro sign", "\x80", "CP1252", "\xE2\x82\xAC"},
        {"Hebrew", "\xE0", "ISO-8859-8", "\xD7\x90"},
        {"unknown charset",
         "a\xFF"
         "b",
         "NO-SUCH-CHARSET",
         "a\xEF\xBF\xBD"
         "b"},
        {"null charset", "a\x80", nullptr, "a\xEF\xBF\xBD"},
        {"empty", "", "CP932", ""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(platform::toUtf8(c.bytes.data(), c.bytes.size(), c.charset), c.expected) << c.name;
    }
    EXPECT_EQ(platform::toUtf8(nullptr, 5, "CP932"), "");
}

TEST(ToUtf8, LongTextCrossesTheWorkBuffer)
{
    std::string bytes;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        bytes += "\x82\xA0"; // HIRAGANA LETTER A
        expected += "\xE3\x81\x82";
    }
    bytes += "\xFF";
    expected += "\xEF\xBF\xBD";
    EXPECT_EQ(platform::toUtf8(bytes.data(), bytes.size(), "CP932"), expected);
}

} // namespace

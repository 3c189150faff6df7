// The piece's texts: font character sets from languages, and conversion
// from every kind of character-set name, HZ and the Unicode forms included.
#include "frontend/display_text.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConversion, FontCharsetFromTheLanguage)
{
    const struct {
        const char* language;
        int charset;
    } cases[] = {
        {"ja", 128}, {"JPN", 128}, {"ja-JP", 128}, {"jpn-x", 128}, {"en-US", 0},   {"eng", 0},
        {"ru", 204}, {"heb", 177}, {"zh-", 134},   {"ko", 129},    {"tur", 162},   {"vi", 163},
        {"th", 222}, {"el", 161},  {"lit", 186},   {"pl", 238},    {"fa", 178},    {"", 255},
        {"e", 255},  {"xx", 255},  {"engl", 255},  {"en_", 255},   {"abcd-", 255},
    };
    for (const auto& c : cases) EXPECT_EQ(frontend::languageCharset(c.language), c.charset) << c.language;
}

TEST(TextConversion, ConvertsEveryKindOfCharacterSetName)
{
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        const char* language;
        const char* charset;
        const char* text;
        int font;
    } cases[] = {
        {"", "ja", "sjis", "", 255},
        // Unicode forms keep the language's font character set
        {"Caf\xE9 \xE3\x81\x82", "fr", "utf-8", "Caf\xC3\xA9 \xE3\x81\x82", 0},
        {"\xF0\x9F\x8E\xB5", "ja", "UTF-8", "\xF0\x9F\x8E\xB5", 128},
        {"\xC0\xAF", "", "utf-8", "\xC3\x80\xC2\xAF", 255}, // an overlong form is two bytes
        {"A\0\x42\x30"s, "ja", "utf-16le", "A\xE3\x81\x82", 128},
        {"\0A\x30\x42"s, "ja", "utf-16be", "A\xE3\x81\x82", 128},
        {"\xFF\xFE"
         "A\0"s,
         "", "utf-16", "A", 255},
        {"\xFE\xFF\0A"s, "", "utf-16", "A", 255},
        {"\0A"s, "", "utf-16", "A", 255},
        {"\x3D\xD8"s, "", "utf-16le", "\xEF\xBF\xBD", 255}, // a lone high surrogate
        {"Hi +ZeVnLIqe-", "ja", "utf-7", "Hi \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 128},
        {"1 +- 1", "en", "UTF-7", "1 + 1", 0},
        {"x", "en", "utf-9", "(error)", 255},
        {"x", "en", "utf-32le", "(error)", 255},
        // code pages
        {"\x82\xA0", "ja", "Shift_JIS", "\xE3\x81\x82", 128},
        {"\x82\xA0", "ja", "MS_Kanji", "\xE3\x81\x82", 128},
        {"\x82\xA0", "ja", "sjis2", "\xE3\x81\x82", 0}, // not in the table: the default code page
        {"Title", "", "", "Title", 0},
        {"\xE9", "fr", "ISO-8859-1", "\xC3\xA9", 0},
        {"\xF9\xEC\xE5\xED", "he", "iso-8859-8-i", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", 177},
        {"\xC4\xE3\xBA\xC3", "zh", "gb2312", "\xE4\xBD\xA0\xE5\xA5\xBD", 134},
        {"\xC4\xE3\xBA\xC3", "zh", "euc-cn", "\xE4\xBD\xA0\xE5\xA5\xBD", 134},
        {"~{<:Ky2;S{#,NpJ)l6HK!#~}Bye.", "zh", "HZ",
         "\xE5\xB7\xB1\xE6\x89\x80\xE4\xB8\x8D\xE6\xAC\xB2\xEF\xBC\x8C\xE5\x8B\xBF\xE6\x96\xBD\xE6\x96\xBC\xE4\xBA\xBA"
         "\xE3\x80\x82"
         "Bye.",
         134},
        {"A~~B~\nC", "", "hz", "A~BC", 134},
        {"~{<", "", "hz", "\xEF\xBF\xBD", 134}, // a pair cut off at the end
        {"\xB0\xA1", "ko", "euc-kr", "\xEA\xB0\x80", 129},
    };
    for (const auto& c : cases) {
        const frontend::ConvertedText converted = frontend::convertText(c.bytes, c.language, c.charset);
        EXPECT_EQ(converted.utf8, c.text) << c.charset << " " << c.bytes;
        EXPECT_EQ(converted.fontCharset, c.font) << c.charset << " " << c.bytes;
        EXPECT_TRUE(converted.changed) << c.charset;
    }
}

TEST(TextConversion, LongUnknownUtfNameLeavesTheLabel)
{
    EXPECT_FALSE(frontend::convertText("x", "en", "utf-16-extra").changed);
}

TEST(TextConversion, CharsetLine)
{
    EXPECT_EQ(frontend::charsetLine("", ""), "(unknown; default)");
    EXPECT_EQ(frontend::charsetLine("ja", "sjis"), "(ja; sjis)");
    EXPECT_EQ(frontend::charsetLine("", "utf-8"), "(unknown; utf-8)");
}

} // namespace

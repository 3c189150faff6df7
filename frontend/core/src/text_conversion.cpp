// The piece's title and notice, converted from the character set it names
// for display, with the font character set its language asks for.
#include "frontend/display_text.h"

#include "unicode_decoders.h"

#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace frontend {

namespace {

constexpr int kNoCharset = 255;
constexpr const char* kErrorText = "(error)";

struct LanguageGroup {
    int fontCharset;
    std::string_view codes; // space-separated, each padded by spaces in the search
};

constexpr std::array kLanguages = {
    LanguageGroup{178, "ar fa ur ara fas per urd"},
    LanguageGroup{204, "be bg mk ru sr uk bel bul mac mkd rus scc srp ukr"},
    LanguageGroup{0, "ca da de en es eu fi fo fr ga gd is it nl no pt rm sq sv alb baq cat dan deu dut eng eus "
                     "fao fin fra fre ger gla gle ice isl ita nld nor por roh spa sqi swe"},
    LanguageGroup{238, "cs hr hu pl ro sk sl ces cze hrv hun pol ron rum scr slk slo slv"},
    LanguageGroup{161, "el ell grc gre"},
    LanguageGroup{186, "et kl lt lv est kal lav lit"},
    LanguageGroup{177, "he yi heb yid"},
    LanguageGroup{128, "ja jpn"},
    LanguageGroup{129, "ko kor"},
    LanguageGroup{222, "th tha"},
    LanguageGroup{162, "tr tur"},
    LanguageGroup{163, "vi vie"},
    LanguageGroup{134, "zh chi zho"},
};

// A character-set name, the iconv name that converts it, and the font
// character set.  Code page 52936 (gb2312, hz) is HZ, decoded here.
struct CharsetEntry {
    std::string_view name;
    const char* iconvName;
    int fontCharset;
};

constexpr const char* kHz = "HZ";

constexpr std::array kCharsets = {
    CharsetEntry{"gbk", "CP936", 134},
    CharsetEntry{"uhc", "CP949", 129},
    CharsetEntry{"big5", "CP950", 136},
    CharsetEntry{"euc-cn", "EUC-CN", 134},
    CharsetEntry{"euc-jp", "EUC-JP", 128},
    CharsetEntry{"euc-kr", "EUC-KR", 129},
    CharsetEntry{"euc-tw", "EUC-TW", 136},
    CharsetEntry{"gb18030", "GB18030", 134},
    CharsetEntry{"gb2312", kHz, 134},
    CharsetEntry{"hz", kHz, 134},
    CharsetEntry{"iso-2022-jp", "ISO-2022-JP", 128},
    CharsetEntry{"iso-2022-kr", "ISO-2022-KR", 129},
    CharsetEntry{"iso-8859-1", "ISO-8859-1", 0},
    CharsetEntry{"iso-8859-2", "ISO-8859-2", 238},
    CharsetEntry{"iso-8859-3", "ISO-8859-3", 238},
    CharsetEntry{"iso-8859-4", "ISO-8859-4", 186},
    CharsetEntry{"iso-8859-5", "ISO-8859-5", 204},
    CharsetEntry{"iso-8859-6", "ISO-8859-6", 178},
    CharsetEntry{"iso-8859-7", "ISO-8859-7", 161},
    CharsetEntry{"iso-8859-8", "ISO-8859-8", 177},
    CharsetEntry{"iso-8859-9", "ISO-8859-9", 162},
    CharsetEntry{"iso-8859-11", "ISO-8859-11", 222},
    CharsetEntry{"iso-8859-15", "ISO-8859-15", 0},
    // Hebrew in logical order: the same bytes as ISO-8859-8.
    CharsetEntry{"iso-8859-8-i", "ISO-8859-8", 177},
    CharsetEntry{"johab", "JOHAB", 130},
    CharsetEntry{"ms_kanji", "CP932", 128},
    CharsetEntry{"sjis", "CP932", 128},
    CharsetEntry{"shift_jis", "CP932", 128},
    CharsetEntry{"shift_jisx0213", "SHIFT_JISX0213", 128},
};

// Names not in the table: the system code page of the machines the pieces
// were written on, which is Windows Shift-JIS (ASCII stays ASCII).
constexpr CharsetEntry kDefaultCharset{"", "CP932", 0};

std::string lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The 2- or 3-letter code at the front of language, or empty when unusable.
std::string languageCode(const std::string& language)
{
    const auto endsCode = [&](size_t i) { return i >= language.size() || language[i] == '-'; };
    if (language.size() < 2) return {};
    if (endsCode(2)) return lower(language.substr(0, 2));
    if (endsCode(3)) return lower(language.substr(0, 3));
    return {};
}

std::string decodeUnicode(const std::string& name, const std::string& bytes)
{
    if (name == "utf-8") return unicode::fromUtf8(bytes);
    if (name == "utf-16be") return unicode::fromUtf16(bytes, true);
    if (name == "utf-16le") return unicode::fromUtf16(bytes, false);
    if (name == "utf-16") return unicode::fromUtf16Marked(bytes);
    return unicode::fromUtf7(bytes);
}

} // namespace

int languageCharset(const std::string& language)
{
    const std::string code = languageCode(language);
    if (code.empty()) return kNoCharset;
    for (const LanguageGroup& group : kLanguages) {
        for (size_t at = 0; at < group.codes.size();) {
            size_t end = group.codes.find(' ', at);
            if (end == std::string_view::npos) end = group.codes.size();
            if (group.codes.substr(at, end - at) == code) return group.fontCharset;
            at = end + 1;
        }
    }
    return kNoCharset;
}

ConvertedText convertText(const std::string& bytes, const std::string& language, const std::string& charset)
{
    if (bytes.empty()) return {"", kNoCharset, true};
    const std::string name = lower(charset);
    static constexpr std::array<std::string_view, 5> kUnicode = {"utf-7", "utf-8", "utf-16", "utf-16be", "utf-16le"};
    if (std::find(kUnicode.begin(), kUnicode.end(), name) != kUnicode.end())
        return {decodeUnicode(name, bytes), languageCharset(language), true};
    if (name.rfind("utf-", 0) == 0) {
        if (name.size() <= 8) return {kErrorText, kNoCharset, true};
        return {"", kNoCharset, false};
    }
    const auto* entry =
        std::find_if(kCharsets.begin(), kCharsets.end(), [&](const CharsetEntry& e) { return e.name == name; });
    const CharsetEntry& use = entry != kCharsets.end() ? *entry : kDefaultCharset;
    std::string text = use.iconvName == kHz ? unicode::fromHz(bytes)
                                            : platform::toUtf8(bytes.data(), bytes.size(), use.iconvName);
    if (text.empty()) return {kErrorText, kNoCharset, true};
    return {std::move(text), use.fontCharset, true};
}

std::string charsetLine(const std::string& language, const std::string& charset)
{
    return "(" + (language.empty() ? std::string("unknown") : language) + "; " +
           (charset.empty() ? std::string("default") : charset) + ")";
}

} // namespace frontend

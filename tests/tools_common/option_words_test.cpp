#include "common/option_words.h"
#include "common/switch_words.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// A table of every value form; what each row took and every other word are
// written down in order, "!" refuses a value and "bad" refuses a word.
std::string read(const std::vector<std::string>& words, tools::InfoRequest& request)
{
    std::string seen;
    const auto takes = [&seen](const std::string& name) {
        return [&seen, name](const std::string& value) -> std::string {
            if (value == "!") return name + " refuses " + value;
            seen += name + "(" + value + ")";
            return {};
        };
    };
    using tools::OptionValue;
    std::vector<tools::OptionRow> rows = {
        {"--list", OptionValue::None, takes("list")},
        {"-o", OptionValue::NextWord, takes("o"), "-o needs a name"},
        {"-p", OptionValue::Attached, takes("p")},
        {"--level", OptionValue::AfterEquals, takes("level")},
    };
    const auto info = tools::infoRows(request);
    rows.insert(rows.end(), info.begin(), info.end());
    const std::string message = tools::readOptionWords(words, {rows, [&seen](const std::string& word) -> std::string {
                                                                   if (word == "bad") return "bad word";
                                                                   seen += "[" + word + "]";
                                                                   return {};
                                                               }});
    return message.empty() ? seen : "error: " + message;
}

TEST(ToolOptionWords, ValuesFormsAndMessages)
{
    using tools::InfoRequest;
    struct Row {
        std::vector<std::string> words;
        std::string result;
        InfoRequest request;
    };
    const std::vector<Row> table = {
        {{"a", "--list", "b"}, "[a]list()[b]", InfoRequest::None},
        {{"-o", "x.wav", "-ox"}, "o(x.wav)[-ox]", InfoRequest::None}, // a next-word value is never joined
        {{"-o", ""}, "o()", InfoRequest::None},
        {{"-p", "My Port", "-pOther"}, "p(My Port)p(Other)", InfoRequest::None},
        {{"-p", "--help"}, "p(--help)", InfoRequest::None}, // a value, not a request
        {{"--level", "-3", "--level=4", "--level="}, "level(-3)level(4)level()", InfoRequest::None},
        {{"--levelx", "--list2"}, "[--levelx][--list2]", InfoRequest::None},
        {{"a", "--help", "bad", "-o"}, "[a]", InfoRequest::Help}, // nothing after it is read
        {{"--version", "--help"}, "", InfoRequest::Version},
        {{"-o"}, "error: -o needs a name", InfoRequest::None},
        {{"a", "-p"}, "error: -p needs a value", InfoRequest::None},
        {{"--level"}, "error: --level needs a value", InfoRequest::None},
        {{"-p!", "--help"}, "error: p refuses !", InfoRequest::None}, // the first bad word ends the line
        {{"bad", "-o"}, "error: bad word", InfoRequest::None},
    };
    for (const Row& row : table) {
        InfoRequest request = InfoRequest::None;
        EXPECT_EQ(read(row.words, request), row.result) << ::testing::PrintToString(row.words);
        EXPECT_EQ(request, row.request) << ::testing::PrintToString(row.words);
    }
}

TEST(ToolSwitchMask, WholeTextAsTheCompilerSwitchesReadIt)
{
    const struct {
        const char* text;
        std::optional<uint32_t> mask;
    } table[] = {
        {"31", 31u},
        {"&1F", 0x1Fu},
        {".101", 5u},
        {"-3", 0xFFFFFFFDu},
        {"+7", 7u},
        {"", 0u},
        {"&", 0u},
        {"4294967297", 1u}, // wraps at 32 bits
        {"1x", std::nullopt},
        {"&1G", std::nullopt},
        {".102", std::nullopt},
        {"1-2", std::nullopt},
        {"-", std::nullopt},
        {"&-1", std::nullopt},
    };
    for (const auto& row : table) EXPECT_EQ(tools::switchMaskOf(row.text), row.mask) << row.text;
}

} // namespace

#include "option_words.h"

namespace tools {

namespace {

// The row that names word, with the value joined to it when the row allows
// one ("-pPORT", "--loudness=-16").
const OptionRow* rowOf(const std::string& word, const OptionTable& table, std::string& joined, bool& hasJoined)
{
    for (const OptionRow& row : table.rows) {
        if (word == row.name) {
            hasJoined = false;
            return &row;
        }
        const bool prefixed = word.size() > row.name.size() && word.compare(0, row.name.size(), row.name) == 0;
        if (!prefixed) continue;
        if (row.value == OptionValue::Attached) {
            joined = word.substr(row.name.size());
            hasJoined = true;
            return &row;
        }
        if (row.value == OptionValue::AfterEquals && word[row.name.size()] == '=') {
            joined = word.substr(row.name.size() + 1);
            hasJoined = true;
            return &row;
        }
    }
    return nullptr;
}

} // namespace

std::vector<OptionRow> infoRows(InfoRequest& request)
{
    const auto asks = [&request](InfoRequest asked) {
        return [&request, asked](const std::string&) {
            request = asked;
            return std::string();
        };
    };
    return {{"--help", OptionValue::None, asks(InfoRequest::Help), {}, true},
            {"--version", OptionValue::None, asks(InfoRequest::Version), {}, true}};
}

std::string readOptionWords(const std::vector<std::string>& words, const OptionTable& table)
{
    for (size_t i = 0; i < words.size(); ++i) {
        std::string value;
        bool hasJoined = false;
        const OptionRow* row = rowOf(words[i], table, value, hasJoined);
        if (!row) {
            std::string message = table.other(words[i]);
            if (!message.empty()) return message;
            continue;
        }
        if (row->value != OptionValue::None && !hasJoined) {
            if (i + 1 >= words.size()) return row->missing.empty() ? row->name + " needs a value" : row->missing;
            value = words[++i];
        }
        std::string message = row->take(value);
        if (!message.empty()) return message;
        if (row->endsLine) break;
    }
    return {};
}

} // namespace tools

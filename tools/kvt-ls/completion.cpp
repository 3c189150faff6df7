#include "answers.h"

#include "kvt/command_help.h"

#include <cctype>
#include <set>

namespace kvtls {

namespace {

enum ItemKind { kValue = 12, kKeyword = 14, kEnumMember = 20 };

Json numberedItems(std::span<const kvt::NumberedName> names)
{
    Json items = Json::array();
    for (const kvt::NumberedName& n : names)
        items.push_back({{"label", std::to_string(n.number)}, {"kind", kEnumMember}, {"detail", n.name}});
    return items;
}

Json commandItems()
{
    Json items = Json::array();
    for (const kvt::CommandHelp& h : kvt::allCommandHelp()) {
        for (const char* c = h.characters; *c != '\0'; ++c) {
            const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
            items.push_back({{"label", std::string(1, letter)},
                             {"kind", kKeyword},
                             {"detail", std::string(h.name) + "  " + h.syntax},
                             {"documentation", std::string(h.ranges) + "\n" + h.example}});
        }
    }
    return items;
}

// The track numbers the score's «#» lists name, each item n or n-m.
std::set<unsigned> usedTracks(const Document& doc)
{
    std::set<unsigned> used;
    const std::vector<kvt::Token> tokens = documentTokens(doc);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != kvt::TokenKind::Command || tokens[i].command != '#') continue;
        const size_t start = tokens[i].offset + 1;
        const size_t lineEnd = doc.text().find('\n', start);
        const std::string list =
            doc.text().substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        unsigned first = 0;
        unsigned value = 0;
        bool digits = false;
        bool range = false;
        auto close = [&] {
            if (!digits) return;
            const unsigned lo = std::min(range ? first : value, value);
            const unsigned hi = std::max(range ? first : value, value);
            for (unsigned k = lo; k <= hi && k < 256; ++k) used.insert(k);
        };
        for (char ch : list) {
            if (std::isdigit(static_cast<unsigned char>(ch)) != 0) {
                value = std::min(value * 10 + static_cast<unsigned>(ch - '0'), 1000u);
                digits = true;
            } else if (ch == '-' && digits) {
                first = value;
                range = true;
                value = 0;
            } else if (ch == ',' || ch == ' ') {
                close();
                digits = range = false;
                value = 0;
            } else {
                break;
            }
        }
        close();
    }
    return used;
}

// The character that decides what is offered: the one before the cursor,
// reading back over a number being typed and over a «#» list.
char contextAt(const std::string& text, size_t offset)
{
    size_t i = offset;
    while (i > 0 && std::isdigit(static_cast<unsigned char>(text[i - 1])) != 0) --i;
    if (i == 0) return 0;
    const char c = text[i - 1];
    if (c == '?' || c == '$' || c == '#') return c;
    if (c == ',' || c == '-') {
        while (i > 0 &&
               (std::isdigit(static_cast<unsigned char>(text[i - 1])) != 0 || text[i - 1] == ',' || text[i - 1] == '-'))
            --i;
        if (i > 0 && text[i - 1] == '#') return '#';
    }
    return 0;
}

} // namespace

Json completion(const Document& doc, Position at)
{
    switch (contextAt(doc.text(), doc.offsetAt(at))) {
    case '?': return numberedItems(kvt::infoTypes());
    case '$': return numberedItems(kvt::macroNames());
    case '#': {
        Json items = Json::array();
        for (unsigned k : usedTracks(doc))
            items.push_back({{"label", std::to_string(k)}, {"kind", kValue}, {"detail", "track in use"}});
        return items;
    }
    default: return commandItems();
    }
}

} // namespace kvtls

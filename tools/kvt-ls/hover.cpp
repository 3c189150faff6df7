#include "answers.h"

#include "kvt/command_help.h"

#include <algorithm>

namespace kvtls {

namespace {

std::string helpMarkdown(const kvt::CommandHelp& h)
{
    return "**" + std::string(h.name) + "**  `" + h.syntax + "`\n\n" + h.ranges + "\n\nExample: `" + h.example + "`";
}

} // namespace

Json hover(const Document& doc, Position at)
{
    const size_t offset = doc.offsetAt(at);
    const std::vector<kvt::Token> tokens = documentTokens(doc);
    auto it = std::upper_bound(tokens.begin(), tokens.end(), offset,
                               [](size_t o, const kvt::Token& t) { return o < t.offset; });
    if (it == tokens.begin()) return nullptr;
    const kvt::Token& t = *--it;
    if (offset >= t.offset + t.length) return nullptr;
    const kvt::CommandHelp* help = kvt::commandHelp(t.command);
    if (help == nullptr) return nullptr;
    return {{"contents", {{"kind", "markdown"}, {"value", helpMarkdown(*help)}}},
            {"range", rangeJson(doc, t.offset, t.offset + t.length)}};
}

} // namespace kvtls

#include "answers.h"

namespace kvtls {

Json rangeJson(const Document& doc, size_t from, size_t to)
{
    const Position a = doc.positionAt(from);
    const Position b = doc.positionAt(to);
    return {{"start", {{"line", a.line}, {"character", a.character}}},
            {"end", {{"line", b.line}, {"character", b.character}}}};
}

std::vector<kvt::Token> documentTokens(const Document& doc)
{
    std::vector<kvt::Token> tokens;
    if (doc.text().size() <= kMaxTokenizedBytes) kvt::tokenize(doc.bytes(), doc.text().size(), tokens);
    return tokens;
}

} // namespace kvtls

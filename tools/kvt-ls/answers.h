// What the server answers about one document, each feature in its own
// file.  Every function takes the document as it stands and returns the
// JSON of the protocol's result.
#pragma once

#include "document.h"

#include "kvt/tokens.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <vector>

namespace kvtls {

using Json = nlohmann::json;

// Scores beyond this size get diagnostics only: their token lists would
// cost more memory than an editor session is worth.
inline constexpr size_t kMaxTokenizedBytes = size_t{8} << 20;

Json rangeJson(const Document& doc, size_t from, size_t to);
// The tokens of the whole document (none beyond kMaxTokenizedBytes).
std::vector<kvt::Token> documentTokens(const Document& doc);

// The compiler's verdict as diagnostics, with hints for common mistakes.
Json diagnostics(const Document& doc, uint16_t conditionMask);
Json hover(const Document& doc, Position at);
Json completion(const Document& doc, Position at);
Json documentSymbols(const Document& doc);
Json foldingRanges(const Document& doc);

// The legend the tokens below refer to.
Json semanticTokensLegend();
// All tokens, or those meeting [from, to) when `within` is set.
Json semanticTokens(const Document& doc, bool within = false, Position from = {}, Position to = {});

} // namespace kvtls

#include "answers.h"

#include <array>

namespace kvtls {

namespace {

// Index into the legend per token kind; -1: not coloured.
constexpr std::array<int, 10> kTypeOfKind = {
    0, // Command: keyword
    1, // Note: enumMember
    1, // Rest
    2, // Length: parameter
    3, // Number
    4, // Comment
    5, // Text: string
    6, // HexBlock: regexp
    7, // Punctuation: operator
    -1,
};
static_assert(kTypeOfKind.size() == static_cast<size_t>(kvt::TokenKind::Unknown) + 1);

// Writes the protocol's relative five-number form, one entry per line a
// token covers (clients need not accept tokens that span lines).
class Encoder {
public:
    explicit Encoder(const Document& doc) : doc_(doc) {}

    void add(size_t from, size_t to, int type)
    {
        const std::string& text = doc_.text();
        while (from < to) {
            const size_t lf = text.find('\n', from);
            const size_t pieceEnd = lf == std::string::npos || lf >= to ? to : lf;
            if (pieceEnd > from) piece(from, pieceEnd, type);
            from = pieceEnd + 1;
        }
    }

    Json take() { return std::move(data_); }

private:
    const Document& doc_;
    Json data_ = Json::array();
    uint32_t lastLine_ = 0;
    uint32_t lastChar_ = 0;
    size_t lastOffset_ = 0; // where lastChar_ was measured, for a walk along the line

    void piece(size_t from, size_t to, int type)
    {
        const uint32_t line = doc_.lineOf(from);
        const Position p = line == lastLine_ && from >= lastOffset_ && !data_.empty()
                               ? Position{line, lastChar_ + doc_.unitsBetween(lastOffset_, from)}
                               : doc_.positionAt(from);
        data_.push_back(p.line - lastLine_);
        data_.push_back(p.line == lastLine_ ? p.character - lastChar_ : p.character);
        data_.push_back(doc_.unitsBetween(from, to));
        data_.push_back(type);
        data_.push_back(0);
        lastLine_ = p.line;
        lastChar_ = p.character;
        lastOffset_ = from;
    }
};

} // namespace

Json semanticTokensLegend()
{
    return {{"tokenTypes", {"keyword", "enumMember", "parameter", "number", "comment", "string", "regexp", "operator"}},
            {"tokenModifiers", Json::array()}};
}

Json semanticTokens(const Document& doc, bool within, Position from, Position to)
{
    const size_t first = within ? doc.offsetAt(from) : 0;
    const size_t last = within ? doc.offsetAt(to) : doc.text().size();
    Encoder out(doc);
    for (const kvt::Token& t : documentTokens(doc)) {
        if (t.offset + t.length <= first || t.offset >= last) continue;
        const int type = kTypeOfKind[static_cast<size_t>(t.kind)];
        if (type >= 0) out.add(t.offset, t.offset + t.length, type);
    }
    return {{"data", out.take()}};
}

} // namespace kvtls

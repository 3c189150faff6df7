#include "score_highlighter.h"

#include "score_style.h"

#include <QTextBlock>

#include <algorithm>
#include <array>

namespace zemfe {

namespace {

std::array<QTextCharFormat, size_t(kvt::TokenKind::Unknown) + 1> allTokenFormats()
{
    std::array<QTextCharFormat, size_t(kvt::TokenKind::Unknown) + 1> formats;
    for (size_t kind = 0; kind < formats.size(); ++kind) formats[kind] = tokenFormat(kvt::TokenKind(kind));
    return formats;
}

} // namespace

ScoreHighlighter::ScoreHighlighter(QTextDocument* document, const ScoreText& text)
    : QSyntaxHighlighter(document), text_(text)
{}

void ScoreHighlighter::highlightBlock(const QString&)
{
    static const auto formats = allTokenFormats();
    const int line = currentBlock().blockNumber();
    if (line < 0 || line >= text_.lineCount()) return;
    const uint32_t start = text_.lineStart(line);
    const uint32_t end = text_.lineEnd(line);
    const std::vector<kvt::Token>& tokens = text_.tokens();
    // Texts and hex blocks may begin on an earlier line or go on after it.
    for (size_t i = text_.firstTokenOf(line); i < tokens.size() && tokens[i].offset < end; ++i) {
        const kvt::Token& token = tokens[i];
        const int from = text_.charIndex(line, std::max(token.offset, start) - start);
        const int to = text_.charIndex(line, std::min(token.offset + token.length, end) - start);
        setFormat(from, to - from, formats[size_t(token.kind)]);
    }
}

} // namespace zemfe

// A score's text as the score window shows it: the bytes split into lines
// and decoded for display, the compiler's own tokens of those bytes, and
// the way between byte columns (what source ranges and tokens count) and
// the characters of a displayed line.
//
// Lines end in line feeds; a carriage return at a line's end is not shown,
// one inside a line shows as a blank so that columns keep their places.
// Bytes are read as UTF-8; a byte that starts no valid sequence shows as
// U+FFFD and keeps its own column.
#pragma once

#include "kvt/tokens.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace zemfe {

class ScoreText {
public:
    ScoreText() : ScoreText(std::string()) {}
    explicit ScoreText(std::string bytes);

    const std::string& bytes() const { return bytes_; }
    // The lines joined by line feeds.
    const QString& displayText() const { return display_; }
    int lineCount() const { return int(lines_.size()); }

    // Lines and columns from 0; a column beyond the line gives its end.  A
    // byte inside a character gives that character; a character index
    // inside a surrogate pair gives the byte after the pair.
    int charIndex(int line, uint32_t byteColumn) const;
    uint32_t byteColumn(int line, int charIndex) const;
    // The line's bytes, its end of line not included.
    uint32_t lineStart(int line) const { return lines_[size_t(line)].start; }
    uint32_t lineEnd(int line) const { return lines_[size_t(line)].end; }
    // The line holding byte `offset` (its end of line included), the last
    // line for offsets beyond the text.
    int lineOf(uint32_t offset) const;

    const std::vector<kvt::Token>& tokens() const { return tokens_; }
    // The index of the first token that has a byte on `line` or after it.
    size_t firstTokenOf(int line) const { return lines_[size_t(line)].firstToken; }

private:
    struct Line {
        uint32_t start = 0;
        uint32_t end = 0;
        size_t firstToken = 0;
        // For lines with bytes above 0x7F: the character index of each
        // byte column and of the line's end; empty when they are equal.
        std::vector<int> charAt;
    };

    void decodeLine(Line& line);
    void indexTokens();

    std::string bytes_;
    QString display_;
    std::vector<Line> lines_;
    std::vector<kvt::Token> tokens_;
};

} // namespace zemfe

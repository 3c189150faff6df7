#include "score_text.h"

#include "platform/utf8.h"

#include <algorithm>

namespace zemfe {

ScoreText::ScoreText(std::string bytes) : bytes_(std::move(bytes))
{
    display_.reserve(qsizetype(bytes_.size()));
    uint32_t start = 0;
    for (;;) {
        const size_t feed = bytes_.find('\n', start);
        Line line;
        line.start = start;
        line.end = feed == std::string::npos ? uint32_t(bytes_.size()) : uint32_t(feed);
        if (line.end > line.start && bytes_[line.end - 1] == '\r') --line.end;
        if (!lines_.empty()) display_ += QChar('\n');
        decodeLine(line);
        lines_.push_back(std::move(line));
        if (feed == std::string::npos) break;
        start = uint32_t(feed) + 1;
    }
    indexTokens();
}

void ScoreText::decodeLine(Line& line)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(bytes_.data());
    const bool ascii = std::all_of(bytes + line.start, bytes + line.end, [](unsigned char b) { return b < 0x80; });
    if (ascii) {
        for (uint32_t i = line.start; i < line.end; ++i) display_ += bytes[i] == '\r' ? QChar(' ') : QChar(bytes[i]);
        return;
    }
    const qsizetype lineBegin = display_.size();
    line.charAt.reserve(line.end - line.start + 1);
    for (uint32_t i = line.start; i < line.end;) {
        const int charIndex = int(display_.size() - lineBegin);
        uint32_t codePoint = 0;
        const int length =
            bytes[i] < 0x80 ? 1 : int(platform::utf8Sequence(std::string_view(bytes_.data(), line.end), i, &codePoint));
        if (length == 0) {
            display_ += QChar(QChar::ReplacementCharacter);
        } else if (length == 1) {
            display_ += bytes[i] == '\r' ? QChar(' ') : QChar(bytes[i]);
        } else {
            const QString decoded = QString::fromUtf8(bytes_.data() + i, length);
            // Separators of lines and paragraphs would break the line in two.
            const bool breaks = decoded == QChar(QChar::LineSeparator) || decoded == QChar(QChar::ParagraphSeparator);
            display_ += breaks ? QString(QChar(QChar::ReplacementCharacter)) : decoded;
        }
        for (int k = 0; k < std::max(length, 1); ++k) line.charAt.push_back(charIndex);
        i += uint32_t(std::max(length, 1));
    }
    line.charAt.push_back(int(display_.size() - lineBegin));
}

void ScoreText::indexTokens()
{
    kvt::tokenize(reinterpret_cast<const uint8_t*>(bytes_.data()), bytes_.size(), tokens_);
    size_t next = 0;
    for (Line& line : lines_) {
        while (next < tokens_.size() && tokens_[next].offset + tokens_[next].length <= line.start) ++next;
        line.firstToken = next;
    }
}

int ScoreText::lineOf(uint32_t offset) const
{
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), offset,
                                        [](uint32_t value, const Line& line) { return value < line.start; });
    return int(after - lines_.begin()) - 1;
}

int ScoreText::charIndex(int line, uint32_t byteColumn) const
{
    const Line& l = lines_[size_t(line)];
    const uint32_t column = std::min(byteColumn, l.end - l.start);
    return l.charAt.empty() ? int(column) : l.charAt[column];
}

uint32_t ScoreText::byteColumn(int line, int charIndex) const
{
    const Line& l = lines_[size_t(line)];
    const int length = int(l.end - l.start);
    if (l.charAt.empty()) return uint32_t(std::clamp(charIndex, 0, length));
    const auto found = std::lower_bound(l.charAt.begin(), l.charAt.end(), charIndex);
    return uint32_t(std::min(int(found - l.charAt.begin()), length));
}

} // namespace zemfe

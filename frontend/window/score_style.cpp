#include "score_style.h"

#include <array>

namespace zemfe {

namespace {

struct TokenStyle {
    kvt::TokenKind kind;
    QRgb colour;
    bool bold;
    bool italic;
};

// Commands stand out, parameters take a quieter colour of their own, and
// comments and texts recede.
constexpr std::array kTokenStyles = {
    TokenStyle{kvt::TokenKind::Command, 0x1a3ea8, true, false},
    TokenStyle{kvt::TokenKind::Note, 0x146b1e, true, false},
    TokenStyle{kvt::TokenKind::Rest, 0x6b6b6b, true, false},
    TokenStyle{kvt::TokenKind::Length, 0x7a3d99, false, false},
    TokenStyle{kvt::TokenKind::Number, 0x9c4a00, false, false},
    TokenStyle{kvt::TokenKind::Comment, 0x808080, false, true},
    TokenStyle{kvt::TokenKind::Text, 0xa3156b, false, false},
    TokenStyle{kvt::TokenKind::HexBlock, 0x00747a, false, false},
    TokenStyle{kvt::TokenKind::Punctuation, 0x404040, false, false},
    TokenStyle{kvt::TokenKind::Unknown, 0xc00000, false, false},
};
static_assert(kTokenStyles.size() == size_t(kvt::TokenKind::Unknown) + 1);

// Light enough for every token colour to stay readable on them.
constexpr std::array<QRgb, 12> kTrackColours = {
    0xffd54f, 0x81d4fa, 0xf48fb1, 0xa5d6a7, 0xb39ddb, 0xffab91,
    0x80cbc4, 0xe6ee9c, 0xce93d8, 0x90caf9, 0xbcaaa4, 0xef9a9a,
};

} // namespace

QTextCharFormat tokenFormat(kvt::TokenKind kind)
{
    QTextCharFormat format;
    for (const TokenStyle& style : kTokenStyles) {
        if (style.kind != kind) continue;
        format.setForeground(QColor(style.colour));
        if (style.bold) format.setFontWeight(QFont::Bold);
        format.setFontItalic(style.italic);
    }
    return format;
}

QColor trackColour(uint8_t trackNumber)
{
    // Steps of 5 over 12 colours: tracks 0 to 11 all differ, and
    // neighbouring numbers lie apart in the list.
    return QColor(kTrackColours[(trackNumber * 5u) % kTrackColours.size()]);
}

QTextCharFormat errorFormat()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

} // namespace zemfe

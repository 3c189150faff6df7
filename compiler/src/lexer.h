// The lexical layer: a forward-only cursor over the source text with line
// counting, and the shared value syntaxes (numbers, reals, hex pairs).
//
// Whitespace (TAB, CR, space, LF) may stand between any two tokens; peek()
// skips it and counts line feeds.  Inside a number, a hex pair or a quoted
// text nothing is skipped.  Letters are reported in upper case.
#pragma once

#include "messages.h"

#include <cstdint>

namespace kvt {

inline bool isDecimalDigit(uint8_t c) { return c >= '0' && c <= '9'; }
inline bool isHexDigit(uint8_t c) { return isDecimalDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
inline unsigned hexValue(uint8_t c)
{
    if (c <= '9') return c - '0';
    return (c | 0x20) - 'a' + 10;
}
inline uint8_t upper(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c; }

struct Cursor {
    const uint8_t* pos;
    const uint8_t* end;
    uint32_t line;

    bool atEnd() const { return pos == end; }

    // The next significant character in upper case, or 0 at the end.
    uint8_t peek()
    {
        while (pos != end) {
            uint8_t c = *pos;
            if (c == ' ' || c == '\t' || c == '\r') {
                ++pos;
            } else if (c == '\n') {
                ++pos;
                ++line;
            } else {
                return upper(c);
            }
        }
        return 0;
    }
    // As peek(), but the end of the text raises "Not have enough size".
    uint8_t peekRequired()
    {
        uint8_t c = peek();
        if (pos == end) compileError(kErrNotEnoughSize);
        return c;
    }
    // Takes the significant character peek() reported.
    void skip() { ++pos; }
    // Takes the next significant character when it is c.
    bool accept(uint8_t c)
    {
        if (peek() != c || pos == end) return false;
        ++pos;
        return true;
    }
    // The next significant character must be c.
    void expect(uint8_t c, util::ErrCode otherwise)
    {
        if (peekRequired() != c) compileError(otherwise);
        ++pos;
    }
    // Takes one raw byte; the end of the text raises "Not have enough size".
    uint8_t takeRaw()
    {
        if (pos == end) compileError(kErrNotEnoughSize);
        return *pos++;
    }
    // The raw byte `ahead` places on, or 0 beyond the end.
    uint8_t rawAt(size_t ahead) const { return static_cast<size_t>(end - pos) > ahead ? pos[ahead] : 0; }

    // ---- Numbers (32-bit two's-complement accumulation) ----
    // Each try* skips whitespace first and returns false, taking nothing,
    // when the acceptance test fails.
    bool tryUnsigned(int32_t& value) { return tryDecimalDigits(value) || tryNumber(false, value); }
    bool trySigned(int32_t& value) { return tryDecimalDigits(value) || tryNumber(true, value); }
    // Optional sign then decimal digits (lengths and tick counts).
    bool tryPlainDecimal(int32_t& value);
    // Absent numbers raise "Missing parameter" ("Not have enough size" at the end).
    int32_t requireUnsigned();
    int32_t requireSigned();
    // Decimal digits, an optional "." and decimal digits, in single
    // precision; no digits read as 0.
    float readReal();
    // Exactly two hex digits as they stand; anything else raises "Syntax error".
    uint8_t hexPair();
    // After an opening «{»: hex pairs, whitespace allowed between them, up to
    // «}» or `max` bytes; the «}» is taken only when met within them.
    size_t bracedHexPairs(uint8_t* out, size_t max);
    // After an opening «"»: bytes as they stand up to the closing «"» or
    // `max` bytes; the quote is taken only when met within them.
    size_t quotedBytes(uint8_t* out, size_t max);
    // Skips up to (not including) the first byte below 32 other than TAB.
    void skipToLineEnd();
    // The length of the text from here to the end of the line.
    uint32_t lineRemainder() const;

private:
    // The common case of plain decimal digits, without a call.
    bool tryDecimalDigits(int32_t& value)
    {
        peek();
        if (pos == end || !isDecimalDigit(*pos)) return false;
        uint32_t v = 0;
        do {
            v = v * 10 + static_cast<uint32_t>(*pos++ - '0');
        } while (pos != end && isDecimalDigit(*pos));
        value = static_cast<int32_t>(v);
        return true;
    }
    // Prefixed and signed forms; the cursor stands on the first character.
    bool tryNumber(bool allowSign, int32_t& value);
};

} // namespace kvt

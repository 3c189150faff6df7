#include "lexer.h"

namespace kvt {

namespace {

uint32_t accumulate(const uint8_t*& p, const uint8_t* end, unsigned radix)
{
    uint32_t v = 0;
    while (p != end) {
        uint8_t c = *p;
        unsigned digit;
        if (radix == 16) {
            if (!isHexDigit(c)) break;
            digit = hexValue(c);
        } else if (radix == 2) {
            if (c != '0' && c != '1') break;
            digit = c - '0';
        } else {
            if (!isDecimalDigit(c)) break;
            digit = c - '0';
        }
        v = v * radix + digit;
        ++p;
    }
    return v;
}

bool isSign(uint8_t c) { return c == '+' || c == '-'; }

// The digit test of the form that `prefix` introduces.
bool startsDigits(uint8_t prefix, uint8_t c) { return prefix == '&' ? isHexDigit(c) : isDecimalDigit(c); }

// Reads a number at p when one stands there.  Signs are allowed after the
// prefix (or first, for decimal) when `allowSign`.
bool readNumber(Cursor& cur, bool allowSign, int32_t& value)
{
    uint8_t c0 = cur.rawAt(0);
    unsigned radix = 10;
    size_t at = 0;
    if (c0 == '&' || c0 == '.') {
        radix = c0 == '&' ? 16 : 2;
        at = 1;
    }
    bool negative = false;
    uint8_t c = cur.rawAt(at);
    if (allowSign && isSign(c)) {
        negative = c == '-';
        c = cur.rawAt(at + 1);
        if (!startsDigits(c0 == '&' ? '&' : 0, c)) return false;
        ++at;
    } else if (!startsDigits(c0 == '&' ? '&' : 0, c)) {
        return false;
    }
    cur.pos += at;
    uint32_t v = accumulate(cur.pos, cur.end, radix);
    value = static_cast<int32_t>(negative ? 0u - v : v);
    return true;
}

} // namespace

bool Cursor::tryNumber(bool allowSign, int32_t& value) { return readNumber(*this, allowSign, value); }

bool Cursor::tryPlainDecimal(int32_t& value)
{
    if (tryDecimalDigits(value)) return true;
    uint8_t c = peek();
    if (c == '&' || c == '.') return false;
    return readNumber(*this, true, value);
}

int32_t Cursor::requireUnsigned()
{
    int32_t v;
    peekRequired();
    if (!tryUnsigned(v)) compileError(kErrMissingParameter);
    return v;
}

int32_t Cursor::requireSigned()
{
    int32_t v;
    peekRequired();
    if (!trySigned(v)) compileError(kErrMissingParameter);
    return v;
}

float Cursor::readReal()
{
    peek();
    float value = 0.0f;
    while (pos != end && isDecimalDigit(*pos)) value = value * 10.0f + static_cast<float>(*pos++ - '0');
    if (pos != end && *pos == '.') {
        ++pos;
        float weight = 0.1f;
        while (pos != end && isDecimalDigit(*pos)) {
            value += static_cast<float>(*pos++ - '0') * weight;
            weight *= 0.1f;
        }
    }
    return value;
}

uint8_t Cursor::hexPair()
{
    uint8_t hi = takeRaw();
    if (!isHexDigit(hi)) compileError(kErrSyntax);
    uint8_t lo = takeRaw();
    if (!isHexDigit(lo)) compileError(kErrSyntax);
    return static_cast<uint8_t>(hexValue(hi) << 4 | hexValue(lo));
}

size_t Cursor::bracedHexPairs(uint8_t* out, size_t max)
{
    size_t n = 0;
    while (n < max) {
        if (peekRequired() == '}') {
            skip();
            break;
        }
        out[n++] = hexPair();
    }
    return n;
}

size_t Cursor::quotedBytes(uint8_t* out, size_t max)
{
    size_t n = 0;
    while (n < max) {
        const uint8_t b = takeRaw();
        if (b == '"') break;
        out[n++] = b;
    }
    return n;
}

void Cursor::skipToLineEnd()
{
    while (pos != end && (*pos >= 32 || *pos == '\t')) ++pos;
}

uint32_t Cursor::lineRemainder() const
{
    const uint8_t* p = pos;
    while (p != end && (*p >= 32 || *p == '\t')) ++p;
    return static_cast<uint32_t>(p - pos);
}

} // namespace kvt

#include "stream_position_text.h"

namespace zemplay {

namespace {

// A view that is consumed from the front.
struct Cursor {
    const char* p;
    const char* end;
    bool atEnd() const { return p == end; }
    char peek() const { return atEnd() ? '\0' : *p; }
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

void skipBlanks(Cursor& c)
{
    while (!c.atEnd() && isBlank(*c.p)) ++c.p;
}

// Digits into a 64-bit value; false when there are none or it overflows.
bool readDigits(Cursor& c, uint64_t& value, unsigned& digits)
{
    value = 0;
    digits = 0;
    while (!c.atEnd() && isDigit(*c.p)) {
        uint64_t d = static_cast<uint64_t>(*c.p - '0');
        if (value > (UINT64_MAX - d) / 10) return false;
        value = value * 10 + d;
        ++digits;
        ++c.p;
    }
    return digits > 0;
}

StreamPosition parseFrom(Cursor c)
{
    StreamPosition bad{};
    skipBlanks(c);
    uint64_t fields[3];
    unsigned count = 0, digits = 0;
    for (;;) {
        if (!readDigits(c, fields[count], digits)) return bad;
        ++count;
        if (c.peek() != ':') break;
        if (count == 3) return bad;
        ++c.p;
    }
    double fraction = 0;
    bool hasPoint = c.peek() == '.';
    if (hasPoint) {
        ++c.p;
        uint64_t f = 0;
        double scale = 1;
        while (!c.atEnd() && isDigit(*c.p)) {
            if (scale < 1e15) {
                f = f * 10 + static_cast<uint64_t>(*c.p - '0');
                scale *= 10;
            }
            ++c.p;
        }
        if (scale == 1) return bad;
        fraction = static_cast<double>(f) / scale;
    }
    skipBlanks(c);
    if (!c.atEnd()) return bad;
    if (count == 1 && !hasPoint) return {true, false, fields[0], 0.0f};
    // Minutes and seconds after a colon stay below 60.
    for (unsigned i = 1; i < count; ++i)
        if (fields[i] >= 60) return bad;
    double seconds = 0;
    for (unsigned i = 0; i < count; ++i) seconds = seconds * 60 + static_cast<double>(fields[i]);
    return {true, true, 0, static_cast<float>(seconds + fraction)};
}

} // namespace

StreamPosition parseStreamPosition(const char* text, unsigned length) { return parseFrom({text, text + length}); }

StreamLoop parseStreamLoop(const char* text, unsigned length)
{
    const char* end = text + length;
    const char* comma = text;
    while (comma != end && *comma != ',') ++comma;
    StreamLoop loop{};
    if (comma == end) {
        loop.end = parseFrom({text, end});
        loop.start = {loop.end.valid, loop.end.inSeconds, 0, 0.0f};
    } else {
        loop.start = parseFrom({text, comma});
        loop.end = parseFrom({comma + 1, end});
    }
    loop.valid = loop.start.valid && loop.end.valid && loop.start.inSeconds == loop.end.inSeconds;
    return loop;
}

} // namespace zemplay

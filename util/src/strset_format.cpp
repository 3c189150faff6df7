// The library's printf-like formatter.
//
// template  -> { ordinary | "%%" | conversion | "$" c }
// conversion-> "%" { "+" | "-" | "#" | "0" } [width] ["." precision] letter
// letters   -> d i (signed) u o x X (unsigned 32-bit) p P (pointer-sized hex,
//              at least 8 digits) c (one byte) s (text) f (32-bit real)
//
// Output is right-aligned ("-" is accepted and ignored); texts are padded
// after the text.  A precision above the width widens a number's field with
// spaces, and limits a text to that many bytes.
#include "util/strset.h"

#include "util/uerr.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace util {
namespace {

// Widths and precisions saturate here, so that a hostile template cannot
// demand gigabytes of padding.
constexpr uint32_t kMaxField = 4096;
constexpr unsigned kDefaultFractionDigits = 6;
constexpr unsigned kPointerDigits = 8;

std::array<FmtHandler, 256> g_handlers{};

struct Conversion {
    bool plus = false;
    bool alternate = false;
    bool zero = false;
    uint32_t width = 0;
    bool has_precision = false;
    uint32_t precision = 0;
};

uint32_t read_number(const char*& p)
{
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<uint32_t>(*p - '0');
        if (value > kMaxField) {
            value = kMaxField;
        }
        ++p;
    }
    return value;
}

void append_repeated(STRSET* s, char c, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        ss_append(s, c);
    }
}

// Digits of value in base 2 to 16, most significant first, into a buffer
// filled from its end; returns the first digit.
char* to_digits(unsigned __int128 value, unsigned base, bool upper, char* end)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char* p = end;
    do {
        *--p = digits[static_cast<unsigned>(value % base)];
        value /= base;
    } while (value != 0);
    return p;
}

// prefix (sign or "0x"), then zeros or nothing, then body; the whole padded
// on the left to the field.
void append_number(STRSET* s, const Conversion& conv, const char* prefix, const char* body, size_t body_length)
{
    size_t field = conv.width;
    if (conv.has_precision && conv.precision > field) {
        field = conv.precision;
    }
    size_t used = std::strlen(prefix) + body_length;
    size_t padding = field > used ? field - used : 0;
    if (conv.zero) {
        ss_append(s, prefix);
        append_repeated(s, '0', padding);
    } else {
        append_repeated(s, ' ', padding);
        ss_append(s, prefix);
    }
    ss_append(s, body, body_length);
}

void append_integer(STRSET* s, const Conversion& conv, char letter, uintptr_t bits)
{
    char buffer[48];
    char* end = buffer + sizeof buffer;
    const char* prefix = "";
    unsigned __int128 magnitude = static_cast<uint32_t>(bits);
    unsigned base = 10;
    switch (letter) {
    case 'd':
    case 'i': {
        int32_t value = static_cast<int32_t>(static_cast<uint32_t>(bits));
        magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        prefix = value < 0 ? "-" : conv.plus ? "+" : "";
        break;
    }
    case 'o': base = 8; break;
    case 'x':
        base = 16;
        prefix = conv.alternate ? "0x" : "";
        break;
    case 'X':
        base = 16;
        prefix = conv.alternate ? "0X" : "";
        break;
    default: // 'u'
        break;
    }
    char* first = to_digits(magnitude, base, letter == 'X', end);
    if (base == 8 && conv.alternate && *first != '0') {
        *--first = '0';
    }
    append_number(s, conv, prefix, first, static_cast<size_t>(end - first));
}

void append_pointer(STRSET* s, const Conversion& conv, char letter, uintptr_t bits)
{
    char buffer[32];
    char* end = buffer + sizeof buffer;
    char* first = to_digits(bits, 16, letter == 'P', end);
    while (end - first < static_cast<std::ptrdiff_t>(kPointerDigits)) {
        *--first = '0';
    }
    const char* prefix = !conv.alternate ? "" : letter == 'P' ? "0X" : "0x";
    append_number(s, conv, prefix, first, static_cast<size_t>(end - first));
}

void append_real(STRSET* s, const Conversion& conv, uintptr_t bits)
{
    uint32_t pattern = static_cast<uint32_t>(bits);
    float value;
    std::memcpy(&value, &pattern, sizeof value);
    const char* sign = std::signbit(value) ? "-" : conv.plus ? "+" : "";
    if (!std::isfinite(value)) {
        const char* text = std::isnan(value) ? "nan" : "inf";
        Conversion plain = conv;
        plain.zero = false;
        append_number(s, plain, sign, text, 3);
        return;
    }
    // Every finite float's integer part fits 128 bits exactly.
    double magnitude = std::fabs(static_cast<double>(value));
    double whole = std::floor(magnitude);
    double fraction = magnitude - whole;
    char integer_digits[48];
    char* end = integer_digits + sizeof integer_digits;
    char* first = to_digits(static_cast<unsigned __int128>(whole), 10, false, end);

    STRSET* body = ss_create(nullptr, 0);
    ss_append(body, first, static_cast<size_t>(end - first));
    unsigned digits = conv.has_precision ? conv.precision : kDefaultFractionDigits;
    bool show_fraction = conv.has_precision ? digits > 0 : fraction != 0.0;
    if (show_fraction) {
        ss_append(body, '.');
        for (unsigned i = 0; i < digits; ++i) {
            fraction *= 10.0;
            // Rounding in the product must never yield a digit of ten.
            double digit = std::fmin(std::floor(fraction), 9.0);
            fraction -= digit;
            ss_append(body, static_cast<char>('0' + static_cast<int>(digit)));
        }
    }
    Conversion field = conv;
    field.has_precision = false; // the precision counted fraction digits
    try {
        append_number(s, field, sign, ss_text(body), ss_length(body));
    } catch (...) {
        ss_free(body);
        throw;
    }
    ss_free(body);
}

void append_text(STRSET* s, const Conversion& conv, const char* text)
{
    if (text == nullptr) {
        text = "(null)";
    }
    size_t length = conv.has_precision ? strnlen(text, conv.precision) : std::strlen(text);
    ss_append(s, text, length);
    if (conv.width > length) {
        append_repeated(s, ' ', conv.width - length);
    }
}

void append_undefined(STRSET* s, char introducer, char letter)
{
    ss_append(s, "(err:'");
    ss_append(s, introducer);
    if (letter != '\0') {
        ss_append(s, letter);
    }
    ss_append(s, "' undefined)");
}

// p points past the "%"; returns the position after the conversion.
const char* format_conversion(STRSET* s, const char* p, FmtArgs& args)
{
    Conversion conv;
    // Flags in any order, as printf users write them.
    for (;; ++p) {
        if (*p == '+') {
            conv.plus = true;
        } else if (*p == '#') {
            conv.alternate = true;
        } else if (*p == '0') {
            conv.zero = true;
        } else if (*p != '-') {
            break;
        }
    }
    conv.width = read_number(p);
    if (*p == '.') {
        ++p;
        conv.has_precision = true;
        conv.precision = read_number(p);
    }
    char letter = *p;
    switch (letter) {
    case 'd':
    case 'i':
    case 'u':
    case 'o':
    case 'x':
    case 'X': append_integer(s, conv, letter, args.take()); break;
    case 'p':
    case 'P': append_pointer(s, conv, letter, args.take()); break;
    case 'c': {
        char c = static_cast<char>(args.take());
        Conversion text_conv = conv;
        text_conv.has_precision = false;
        char one[2] = {c, '\0'};
        append_text(s, text_conv, one);
        break;
    }
    case 's': append_text(s, conv, reinterpret_cast<const char*>(args.take())); break;
    case 'f': append_real(s, conv, args.take()); break;
    default: append_undefined(s, '%', letter); break;
    }
    return letter == '\0' ? p : p + 1;
}

const char* format_handler(STRSET* s, const char* p, FmtArgs& args)
{
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '$') {
        ss_append(s, '$');
    } else if (c != '\0' && g_handlers[c] != nullptr) {
        g_handlers[c](s, args);
    } else {
        append_undefined(s, '$', static_cast<char>(c));
    }
    return c == '\0' ? p : p + 1;
}

} // namespace

void ss_format(STRSET* s, const char* tmpl, FmtArgs args)
{
    if (s == nullptr || tmpl == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    const char* p = tmpl;
    while (*p != '\0') {
        const char* run = p;
        while (*p != '\0' && *p != '%' && *p != '$') {
            ++p;
        }
        if (p > run) {
            ss_append(s, run, static_cast<size_t>(p - run));
        }
        if (*p == '%') {
            if (p[1] == '%') {
                ss_append(s, '%');
                p += 2;
            } else {
                p = format_conversion(s, p + 1, args);
            }
        } else if (*p == '$') {
            p = format_handler(s, p + 1, args);
        }
    }
}

void ss_register_handler(unsigned c, FmtHandler handler)
{
    if (c > 255 || c == '$') {
        uerr_raise(kErrStrsetParam);
    }
    g_handlers[c] = handler;
}

} // namespace util

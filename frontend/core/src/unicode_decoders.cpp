#include "unicode_decoders.h"

#include "platform/text.h"

#include <cstdint>

namespace frontend::unicode {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length and first bits of a UTF-8 lead byte; 0 for a byte that leads none.
int sequenceLength(unsigned char lead, char32_t& bits)
{
    if (lead < 0x80) return bits = lead, 1;
    if (lead >= 0xC2 && lead <= 0xDF) return bits = lead & 0x1F, 2;
    if (lead >= 0xE0 && lead <= 0xEF) return bits = lead & 0x0F, 3;
    if (lead >= 0xF0 && lead <= 0xF4) return bits = lead & 0x07, 4;
    return 0;
}

char32_t minimumFor(int length) { return length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000; }

int base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Joins UTF-16 units into code points.
class Utf16Joiner {
public:
    explicit Utf16Joiner(std::string& out) : out_(out) {}
    void unit(uint16_t u)
    {
        if (high_ != 0) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                appendUtf8(out_, 0x10000 + ((char32_t(high_) - 0xD800) << 10) + (u - 0xDC00));
                high_ = 0;
                return;
            }
            appendUtf8(out_, kReplacement);
            high_ = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            high_ = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            appendUtf8(out_, kReplacement);
        else
            appendUtf8(out_, u);
    }
    void finish()
    {
        if (high_ != 0) appendUtf8(out_, kReplacement);
        high_ = 0;
    }

private:
    std::string& out_;
    uint16_t high_ = 0;
};

} // namespace

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string fromUtf8(std::string_view bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        char32_t cp = 0;
        const int length = sequenceLength(lead, cp);
        bool valid = length > 0 && i + size_t(length) <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + size_t(k)]);
            valid = isContinuation(c);
            cp = cp << 6 | (c & 0x3F);
        }
        valid = valid && (length == 1 || cp >= minimumFor(length)) && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            appendUtf8(out, lead);
            ++i;
            continue;
        }
        appendUtf8(out, cp);
        i += size_t(length);
    }
    return out;
}

std::string fromUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    Utf16Joiner joiner(out);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        joiner.unit(static_cast<uint16_t>(bigEndian ? a << 8 | b : b << 8 | a));
    }
    joiner.finish();
    return out;
}

std::string fromUtf16Marked(std::string_view bytes)
{
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
        return fromUtf16(bytes.substr(2), false);
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF)
        return fromUtf16(bytes.substr(2), true);
    return fromUtf16(bytes, true);
}

std::string fromUtf7(std::string_view bytes)
{
    std::string out;
    Utf16Joiner joiner(out);
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i++]);
        if (c != '+') {
            joiner.unit(c);
            continue;
        }
        if (i < bytes.size() && bytes[i] == '-') { // "+-" is a plus sign
            joiner.unit('+');
            ++i;
            continue;
        }
        // Base64 of UTF-16BE units up to the first non-base64 byte; a '-'
        // that ends the run is absorbed.
        uint32_t buffer = 0;
        int bits = 0;
        while (i < bytes.size()) {
            const int v = base64Value(static_cast<unsigned char>(bytes[i]));
            if (v < 0) break;
            ++i;
            buffer = buffer << 6 | uint32_t(v);
            bits += 6;
            if (bits >= 16) {
                bits -= 16;
                joiner.unit(static_cast<uint16_t>(buffer >> bits));
                buffer &= (1u << bits) - 1;
            }
        }
        if (i < bytes.size() && bytes[i] == '-') ++i;
    }
    joiner.finish();
    return out;
}

std::string fromHz(std::string_view bytes)
{
    std::string out;
    bool gb = false; // inside "~{" .. "~}"
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '~' && i + 1 < bytes.size()) {
            const char next = bytes[i + 1];
            if (!gb && next == '~') {
                out += '~';
                i += 2;
                continue;
            }
            if (!gb && next == '\n') {
                i += 2;
                continue;
            }
            if (next == '{') {
                gb = true;
                i += 2;
                continue;
            }
            if (next == '}') {
                gb = false;
                i += 2;
                continue;
            }
        }
        if ((gb && c >= 0x21 && c <= 0x7E) || c >= 0xA1) {
            if (i + 1 >= bytes.size()) {
                appendUtf8(out, kReplacement);
                break;
            }
            const char pair[2] = {static_cast<char>(bytes[i] | 0x80), static_cast<char>(bytes[i + 1] | 0x80)};
            out += platform::toUtf8(pair, 2, "EUC-CN");
            i += 2;
            continue;
        }
        if (c >= 0x80)
            appendUtf8(out, kReplacement);
        else
            out += static_cast<char>(c);
        ++i;
    }
    return out;
}

} // namespace frontend::unicode

// Decoders to UTF-8 for the text encodings that the player reads itself:
// the Unicode forms a piece may name, and HZ, which iconv lacks.
#pragma once

#include <string>
#include <string_view>

namespace frontend::unicode {

// A byte that does not start a valid sequence stands for the code point of
// the same value, so Latin-1 text mislabelled as UTF-8 still reads.
std::string fromUtf8(std::string_view bytes);
// bigEndian for UTF-16BE; an unpaired surrogate becomes U+FFFD and an odd
// last byte is dropped.
std::string fromUtf16(std::string_view bytes, bool bigEndian);
// UTF-16 with an optional byte-order mark (skipped), big-endian without one.
std::string fromUtf16Marked(std::string_view bytes);
// UTF-7 (RFC 2152).
std::string fromUtf7(std::string_view bytes);
// HZ (RFC 1843): "~{" .. "~}" hold GB2312 pairs in 7 bits, "~~" is "~",
// "~" before a line break joins lines.  Bytes with the high bit set outside
// the escapes are read as EUC-CN pairs, so a GB2312 text in its usual form
// reads right too.
std::string fromHz(std::string_view bytes);

// Appends code point cp as UTF-8 (U+FFFD for values that are not one).
void appendUtf8(std::string& out, char32_t cp);

} // namespace frontend::unicode

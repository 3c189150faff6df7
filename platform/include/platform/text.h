// Converting text stored in a code page to UTF-8 for display.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The n bytes in the named character set (an iconv name: "CP932" for
// Windows Shift-JIS, "CP1252", "ISO-8859-8", ...) as UTF-8.  A byte sequence
// that is invalid or cut off at the end becomes one U+FFFD per byte skipped;
// an unknown character set keeps ASCII bytes and turns every other byte into
// U+FFFD.  Never throws for bad input.
std::string toUtf8(const char* bytes, size_t n, const char* charset);

} // namespace platform

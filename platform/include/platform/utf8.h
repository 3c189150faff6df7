// Reading UTF-8 one sequence at a time, for text that may not be valid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// The length of the valid UTF-8 sequence of two to four bytes starting at
// text[at], with its code point in *codePoint; 0 when none starts there
// (an ASCII byte, a stray or cut sequence, an overlong form, a surrogate or
// a value above U+10FFFF).
size_t utf8Sequence(std::string_view text, size_t at, uint32_t* codePoint);

} // namespace platform

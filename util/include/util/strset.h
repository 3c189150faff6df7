// STRSET: a growable NUL-terminated byte string on Memblock storage, and the
// library's printf-like formatter.
//
// Every operation on a null object raises kErrNullArgument.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace util {

struct StrBuf {
    char* data;        // a Memblock, or null
    uint32_t capacity; // usable bytes, not counting the NUL
    uint32_t length;
};

struct STRSET {
    StrBuf main;   // the text
    StrBuf second; // cleared together with the text
};

STRSET* ss_create(const char* text, uint32_t capacity);
void ss_free(STRSET* s);
// Frees the old buffer, allocates capacity + 1 bytes, length 0.
void ss_reserve(STRSET* s, uint32_t capacity);
// Reallocates to capacity + 1 bytes, keeping the text.
void ss_grow(STRSET* s, uint32_t capacity);
void ss_append(STRSET* s, char c);
void ss_append(STRSET* s, const char* text);
void ss_append(STRSET* s, const char* bytes, size_t n);
// Clears both buffers, then behaves as ss_create.
void ss_set(STRSET* s, const char* text, uint32_t capacity);
void ss_truncate(STRSET* s, uint32_t position);
void ss_uppercase(STRSET* s);
// Searching backwards from length - 1 - skip; -1 when absent or length < skip.
int32_t ss_last_index(const STRSET* s, char c, uint32_t skip);
// Plain left-to-right search from start; -1 when absent or either text is empty.
int32_t ss_index_of(const STRSET* s, const char* needle, uint32_t start);
// A new object holding count bytes from start (clipped to the text).
STRSET* ss_copy_range(const STRSET* s, uint32_t start, uint32_t count);

// The text ("" for an object that never held one) and its length.
const char* ss_text(const STRSET* s);
uint32_t ss_length(const STRSET* s);

// One formatter argument: a pointer-sized value.  Integers keep their bits,
// a text is its pointer, and a float is its 32-bit pattern ("%f" reads the
// low 32 bits as a single-precision real).
struct FmtArg {
    uintptr_t bits;
    FmtArg(int32_t v) : bits(static_cast<uint32_t>(v)) {}
    FmtArg(uint32_t v) : bits(v) {}
    FmtArg(const char* text) : bits(reinterpret_cast<uintptr_t>(text)) {}
    FmtArg(float f)
    {
        uint32_t pattern;
        std::memcpy(&pattern, &f, sizeof pattern);
        bits = pattern;
    }
};

// The arguments a template has not consumed yet; "$" handlers take from it.
class FmtArgs {
public:
    // The list's array must outlive the object (true for a braced list
    // passed straight to ss_format).
    FmtArgs(const std::initializer_list<FmtArg>& args) : FmtArgs(args.begin(), args.end()) {}
    FmtArgs(const FmtArg* first, const FmtArg* last) : next_(first), end_(last) {}
    // The next argument, or 0 when none is left.
    uintptr_t take() { return next_ == end_ ? 0 : (next_++)->bits; }

private:
    const FmtArg* next_;
    const FmtArg* end_;
};

using FmtHandler = void (*)(STRSET* out, FmtArgs& args);

// Appends the template formatted with args to the text (see the conversions
// in strset_format.cpp: %d %i %u %o %x %X %p %P %c %s %f, flags + - # 0,
// width, precision, "$c" handlers).
void ss_format(STRSET* s, const char* tmpl, FmtArgs args);
inline void ss_format(STRSET* s, const char* tmpl, std::initializer_list<FmtArg> args = {})
{
    ss_format(s, tmpl, FmtArgs(args));
}
// Registers the handler for "$c"; c above 255 raises kErrStrsetParam, and "$"
// itself cannot be replaced.
void ss_register_handler(unsigned c, FmtHandler handler);

} // namespace util

// STRSET: growable NUL-terminated byte strings on tracked memory.
#include "util/strset.h"

#include "util/memblock.h"
#include "util/uerr.h"

namespace util {
namespace {

constexpr uint32_t kGrowStep = 1024;
// Lengths above this raise kErrStrsetOverflow before another byte goes in.
constexpr uint32_t kMaxLength = 0x7FFFFFFD;

void check(const STRSET* s)
{
    if (s == nullptr) {
        uerr_raise(kErrNullArgument);
    }
}

void clear_buffer(StrBuf& buf)
{
    if (buf.data != nullptr) {
        mb_free(buf.data);
    }
    buf = StrBuf{nullptr, 0, 0};
}

void reallocate(StrBuf& buf, uint32_t capacity)
{
    size_t bytes = static_cast<size_t>(capacity) + 1;
    if (buf.data == nullptr) {
        buf.data = static_cast<char*>(mb_alloc(bytes));
        buf.length = 0;
    } else {
        buf.data = static_cast<char*>(mb_realloc(buf.data, bytes));
        if (buf.length > capacity) {
            buf.length = capacity;
        }
    }
    buf.capacity = capacity;
    buf.data[buf.length] = '\0';
}

// Makes room for `extra` more bytes, growing in whole steps as appending one
// byte at a time would.
void make_room(STRSET* s, size_t extra)
{
    StrBuf& buf = s->main;
    if (buf.data == nullptr) {
        ss_reserve(s, kGrowStep);
    }
    if (buf.length > kMaxLength || extra > kMaxLength + 1 - buf.length) {
        buf.data[buf.length] = '\0';
        uerr_raise(kErrStrsetOverflow);
    }
    size_t needed = buf.length + extra;
    if (needed > buf.capacity) {
        size_t steps = (needed - buf.capacity + kGrowStep - 1) / kGrowStep;
        reallocate(buf, static_cast<uint32_t>(buf.capacity + steps * kGrowStep));
    }
}

} // namespace

STRSET* ss_create(const char* text, uint32_t capacity)
{
    auto* s = static_cast<STRSET*>(mb_alloc_zero(sizeof(STRSET)));
    ss_set(s, text, capacity);
    return s;
}

void ss_free(STRSET* s)
{
    check(s);
    clear_buffer(s->main);
    clear_buffer(s->second);
    mb_free(s);
}

void ss_reserve(STRSET* s, uint32_t capacity)
{
    check(s);
    clear_buffer(s->main);
    reallocate(s->main, capacity);
}

void ss_grow(STRSET* s, uint32_t capacity)
{
    check(s);
    reallocate(s->main, capacity);
}

void ss_append(STRSET* s, char c) { ss_append(s, &c, 1); }

void ss_append(STRSET* s, const char* text)
{
    check(s);
    if (text != nullptr) {
        ss_append(s, text, std::strlen(text));
    }
}

void ss_append(STRSET* s, const char* bytes, size_t n)
{
    check(s);
    if (n == 0 && s->main.data != nullptr) {
        return;
    }
    StrBuf& buf = s->main;
    // Bytes taken from the object's own text must survive the buffer moving.
    bool own = buf.data != nullptr && bytes >= buf.data && bytes < buf.data + buf.length;
    size_t own_offset = own ? static_cast<size_t>(bytes - buf.data) : 0;
    make_room(s, n);
    if (own) {
        bytes = buf.data + own_offset;
    }
    if (n > 0) {
        std::memmove(buf.data + buf.length, bytes, n);
    }
    buf.length += static_cast<uint32_t>(n);
    buf.data[buf.length] = '\0';
}

void ss_set(STRSET* s, const char* text, uint32_t capacity)
{
    check(s);
    clear_buffer(s->main);
    clear_buffer(s->second);
    if (capacity > 0) {
        ss_reserve(s, capacity);
    }
    if (text != nullptr) {
        ss_append(s, text);
    }
}

void ss_truncate(STRSET* s, uint32_t position)
{
    check(s);
    if (s->main.data != nullptr && position <= s->main.length) {
        s->main.length = position;
        s->main.data[position] = '\0';
    }
}

void ss_uppercase(STRSET* s)
{
    check(s);
    for (uint32_t i = 0; i < s->main.length; ++i) {
        char& c = s->main.data[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
}

int32_t ss_last_index(const STRSET* s, char c, uint32_t skip)
{
    check(s);
    if (s->main.length <= skip) {
        return -1;
    }
    for (int64_t i = static_cast<int64_t>(s->main.length) - 1 - skip; i >= 0; --i) {
        if (s->main.data[i] == c) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t ss_index_of(const STRSET* s, const char* needle, uint32_t start)
{
    check(s);
    if (needle == nullptr || needle[0] == '\0' || s->main.length == 0) {
        return -1;
    }
    size_t n = std::strlen(needle);
    uint32_t length = s->main.length;
    for (size_t i = start; i < length && n <= length - i; ++i) {
        if (std::memcmp(s->main.data + i, needle, n) == 0) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

STRSET* ss_copy_range(const STRSET* s, uint32_t start, uint32_t count)
{
    check(s);
    STRSET* copy = ss_create(nullptr, 0);
    uint32_t length = s->main.length;
    if (start < length) {
        uint32_t available = length - start;
        ss_append(copy, s->main.data + start, count < available ? count : available);
    }
    return copy;
}

const char* ss_text(const STRSET* s)
{
    check(s);
    return s->main.data != nullptr ? s->main.data : "";
}

uint32_t ss_length(const STRSET* s)
{
    check(s);
    return s->main.length;
}

} // namespace util

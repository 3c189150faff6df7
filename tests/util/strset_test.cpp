// STRSET growth, editing and searching.
#include "util/memblock.h"
#include "util/strset.h"
#include "util/uerr.h"

#include "raised_code.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using util::STRSET;

struct Owned {
    STRSET* s;
    explicit Owned(const char* text, uint32_t capacity = 0) : s(util::ss_create(text, capacity)) {}
    ~Owned() { util::ss_free(s); }
    std::string text() const { return util::ss_text(s); }
};

TEST(Strset, GrowsInSteps)
{
    struct GrowCase {
        size_t appended;
        uint32_t capacity;
    };
    const GrowCase cases[] = {{1, 1024}, {1024, 1024}, {1025, 2048}, {2048, 2048}, {2049, 3072}};
    for (const GrowCase& c : cases) {
        Owned one(nullptr);
        for (size_t i = 0; i < c.appended; ++i) {
            util::ss_append(one.s, static_cast<char>('a' + i % 26));
        }
        EXPECT_EQ(one.s->main.capacity, c.capacity) << c.appended << " one at a time";
        EXPECT_EQ(util::ss_length(one.s), c.appended);
        EXPECT_EQ(util::ss_text(one.s)[c.appended], '\0');

        Owned bulk(nullptr);
        std::string text(c.appended, 'x');
        util::ss_append(bulk.s, text.c_str());
        EXPECT_EQ(bulk.s->main.capacity, c.capacity) << c.appended << " at once";
        EXPECT_EQ(bulk.text(), text);
    }
}

TEST(Strset, CreateReserveGrowSet)
{
    Owned s("abc", 10);
    EXPECT_EQ(s.s->main.capacity, 10u);
    EXPECT_EQ(s.text(), "abc");
    util::ss_grow(s.s, 2);
    EXPECT_EQ(s.text(), "ab");
    util::ss_grow(s.s, 50);
    EXPECT_EQ(s.text(), "ab");
    EXPECT_EQ(util::mb_size(s.s->main.data), 51u);
    util::ss_reserve(s.s, 5);
    EXPECT_EQ(s.text(), "");
    EXPECT_EQ(s.s->main.capacity, 5u);
    util::ss_set(s.s, "new", 0);
    EXPECT_EQ(s.text(), "new");
    util::ss_set(s.s, nullptr, 0);
    EXPECT_EQ(s.s->main.data, nullptr);
    EXPECT_EQ(s.text(), "");
}

TEST(Strset, AppendsItsOwnText)
{
    Owned s(nullptr);
    std::string expected(1000, 'q');
    util::ss_append(s.s, expected.c_str());
    // The source lies in the buffer that has to move while growing.
    util::ss_append(s.s, util::ss_text(s.s));
    EXPECT_EQ(s.text(), expected + expected);
}

TEST(Strset, TruncateAndUppercase)
{
    Owned s("mixed Case 123 z");
    util::ss_truncate(s.s, 99);
    EXPECT_EQ(s.text(), "mixed Case 123 z");
    util::ss_uppercase(s.s);
    EXPECT_EQ(s.text(), "MIXED CASE 123 Z");
    util::ss_truncate(s.s, 5);
    EXPECT_EQ(s.text(), "MIXED");
    EXPECT_EQ(util::ss_length(s.s), 5u);
    util::ss_truncate(s.s, 0);
    EXPECT_EQ(s.text(), "");
}

TEST(Strset, LastIndex)
{
    struct LastCase {
        const char* text;
        char c;
        uint32_t skip;
        int32_t expected;
    };
    const LastCase cases[] = {
        {"a.b.c", '.', 0, 3},  {"a.b.c", '.', 1, 3},  {"a.b.c", '.', 2, 1}, {"a.b.c", 'a', 4, 0},
        {"a.b.c", '.', 5, -1}, {"a.b.c", '.', 6, -1}, {"abc", 'x', 0, -1},  {"", 'x', 0, -1},
    };
    for (const LastCase& c : cases) {
        Owned s(c.text);
        EXPECT_EQ(util::ss_last_index(s.s, c.c, c.skip), c.expected) << c.text << " skip " << c.skip;
    }
}

TEST(Strset, IndexOf)
{
    struct IndexCase {
        const char* text;
        const char* needle;
        uint32_t start;
        int32_t expected;
    };
    const IndexCase cases[] = {
        {"song.kvt.kvt", ".kvt", 0, 4},
        {"song.kvt.kvt", ".kvt", 5, 8},
        {"song.kvt.kvt", ".kvt", 9, -1},
        {"abc", "abcd", 0, -1},
        {"abc", "", 0, -1},
        {"", "a", 0, -1},
        {"abc", "c", 2, 2},
        {"abc", "c", 3, -1},
        {"abc", "c", 1000, -1},
    };
    for (const IndexCase& c : cases) {
        Owned s(c.text);
        EXPECT_EQ(util::ss_index_of(s.s, c.needle, c.start), c.expected) << c.text << " / " << c.needle;
    }
}

TEST(Strset, CopyRangeClips)
{
    struct RangeCase {
        uint32_t start, count;
        const char* expected;
    };
    const RangeCase cases[] = {{0, 3, "abc"}, {2, 2, "cd"}, {4, 10, "ef"}, {6, 1, ""}, {100, 1, ""}};
    Owned s("abcdef");
    for (const RangeCase& c : cases) {
        STRSET* copy = util::ss_copy_range(s.s, c.start, c.count);
        EXPECT_STREQ(util::ss_text(copy), c.expected) << c.start << "," << c.count;
        util::ss_free(copy);
    }
}

TEST(Strset, NullObjectRaises)
{
    EXPECT_EQ(raisedCode([] { util::ss_append(nullptr, "a"); }), util::kErrNullArgument);
    EXPECT_EQ(raisedCode([] { util::ss_text(nullptr); }), util::kErrNullArgument);
    EXPECT_EQ(raisedCode([] { util::ss_format(nullptr, "x"); }), util::kErrNullArgument);
    EXPECT_EQ(raisedCode([] { util::ss_free(nullptr); }), util::kErrNullArgument);
}

} // namespace

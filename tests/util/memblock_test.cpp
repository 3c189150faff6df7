// Tracked memory blocks: counts, alignment, realloc and the checks that
// catch double frees and foreign pointers.
#include "util/memblock.h"
#include "util/uerr.h"

#include "raised_code.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

using util::ErrCode;

TEST(Memblock, CountsAndAccounting)
{
    size_t count = util::mb_count();
    size_t total = util::mb_total_bytes();
    const size_t sizes[] = {0, 1, 15, 16, 1000};
    void* blocks[5];
    size_t expectedTotal = total;
    for (size_t i = 0; i < 5; ++i) {
        blocks[i] = util::mb_alloc(sizes[i]);
        expectedTotal += sizes[i] + 32;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[i]) % 16, 0u) << sizes[i];
        EXPECT_EQ(util::mb_size(blocks[i]), sizes[i]);
        // The header before the data carries the signature.
        EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(blocks[i]) - 8, "MAMN", 4), 0);
    }
    EXPECT_EQ(util::mb_count(), count + 5);
    EXPECT_EQ(util::mb_total_bytes(), expectedTotal);
    for (void* p : blocks) {
        util::mb_free(p);
    }
    EXPECT_EQ(util::mb_count(), count);
    EXPECT_EQ(util::mb_total_bytes(), total);
}

TEST(Memblock, ZeroedAllocation)
{
    auto* p = static_cast<uint8_t*>(util::mb_alloc_zero(333));
    for (size_t i = 0; i < 333; ++i) {
        ASSERT_EQ(p[i], 0) << i;
    }
    util::mb_free(p);
}

TEST(Memblock, ReallocKeepsPrefixAndAdjustsTotal)
{
    struct ReallocCase {
        size_t from, to;
    };
    const ReallocCase cases[] = {{10, 100}, {100, 10}, {64, 64}, {5, 0}};
    for (const ReallocCase& c : cases) {
        auto* p = static_cast<uint8_t*>(util::mb_alloc(c.from));
        for (size_t i = 0; i < c.from; ++i) {
            p[i] = static_cast<uint8_t>(i * 7 + 1);
        }
        size_t total = util::mb_total_bytes();
        size_t count = util::mb_count();
        auto* q = static_cast<uint8_t*>(util::mb_realloc(p, c.to));
        EXPECT_EQ(util::mb_size(q), c.to);
        EXPECT_EQ(util::mb_count(), count);
        EXPECT_EQ(util::mb_total_bytes(), total - c.from + c.to);
        for (size_t i = 0; i < std::min(c.from, c.to); ++i) {
            ASSERT_EQ(q[i], static_cast<uint8_t>(i * 7 + 1)) << i;
        }
        util::mb_free(q);
    }
}

TEST(Memblock, BadPointersAreRejected)
{
    void* freed = util::mb_alloc(24);
    util::mb_free(freed);
    void* moved = util::mb_alloc(24);
    void* movedTo = util::mb_realloc(moved, 4000);
    void* foreign = std::malloc(64);
    int onStack[8] = {};

    struct BadCase {
        const char* name;
        void* p;
        ErrCode expected;
    };
    const BadCase cases[] = {
        {"null", nullptr, util::kErrNullArgument},
        {"double free", freed, util::kErrMemblockClashed},
        {"pointer before realloc", moved, util::kErrMemblockClashed},
        {"malloc block", foreign, util::kErrMemblockClashed},
        {"stack", onStack + 4, util::kErrMemblockClashed},
        {"null block's data", reinterpret_cast<void*>(16), util::kErrMemblockClashed},
    };
    size_t count = util::mb_count();
    for (const BadCase& c : cases) {
        EXPECT_EQ(raisedCode([&] { util::mb_free(c.p); }), c.expected) << "free " << c.name;
        EXPECT_EQ(raisedCode([&] { util::mb_realloc(c.p, 8); }), c.expected) << "realloc " << c.name;
    }
    EXPECT_EQ(util::mb_count(), count);
    std::free(foreign);
    util::mb_free(movedTo);
}

TEST(Memblock, OverwrittenHeaderIsClashed)
{
    auto* p = static_cast<uint8_t*>(util::mb_alloc(8));
    p[-8] = 'X'; // an underrun over the signature
    EXPECT_EQ(raisedCode([&] { util::mb_free(p); }), util::kErrMemblockClashed);
    p[-8] = 'M';
    util::mb_free(p);
}

TEST(Memblock, LockedBlocksStay)
{
    void* p = util::mb_alloc(8);
    util::mb_lock(p);
    util::mb_lock(p);
    EXPECT_EQ(raisedCode([&] { util::mb_free(p); }), util::kErrMemblockLocked);
    EXPECT_EQ(raisedCode([&] { util::mb_realloc(p, 80); }), util::kErrMemblockLocked);
    util::mb_unlock(p);
    EXPECT_EQ(raisedCode([&] { util::mb_free(p); }), util::kErrMemblockLocked);
    util::mb_unlock(p);
    EXPECT_EQ(raisedCode([&] { util::mb_unlock(p); }), util::kErrMemblockRoaming);
    util::mb_free(p);
}

TEST(Memblock, ImpossibleSizeIsOutOfMemory)
{
    EXPECT_EQ(raisedCode([] { util::mb_alloc(SIZE_MAX - 4); }), util::kErrOutOfMemory);
    EXPECT_EQ(raisedCode([] { util::mb_alloc_zero(SIZE_MAX - 31); }), util::kErrOutOfMemory);
}

} // namespace

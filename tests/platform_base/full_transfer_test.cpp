// A whole transfer through calls that move part of what they are asked,
// are interrupted, fail or meet the end of the file.
#include "platform/full_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What each call answers: a byte count (at most what is left), or -1 with
// the errno given.
struct Answer {
    ssize_t moved;
    int error = 0;
};

struct Case {
    const char* name;
    size_t n;
    std::vector<Answer> answers;
    size_t expectedMoved;
    std::vector<size_t> expectedOffsets;
};

TEST(FullTransfer, MovesUntilDoneFailedOrEnded)
{
    const Case cases[] = {
        {"at once", 6, {{6}}, 6, {0}},
        {"in parts", 6, {{2}, {3}, {1}}, 6, {0, 2, 5}},
        {"interrupted then done", 6, {{2}, {-1, EINTR}, {4}}, 6, {0, 2, 2}},
        {"failure stops", 6, {{2}, {-1, EIO}}, 2, {0, 2}},
        {"end of file stops", 6, {{4}, {0}}, 4, {0, 4}},
        {"nothing asked", 0, {}, 0, {}},
    };
    for (const Case& k : cases) {
        std::vector<size_t> offsets;
        const size_t moved = platform::transferFully(k.n, [&](size_t done) -> ssize_t {
            offsets.push_back(done);
            if (offsets.size() > k.answers.size()) return 0;
            const Answer& a = k.answers[offsets.size() - 1];
            errno = a.error;
            return a.moved;
        });
        EXPECT_EQ(moved, k.expectedMoved) << k.name;
        EXPECT_EQ(offsets, k.expectedOffsets) << k.name;
    }
}

} // namespace

// Golden words: a KVT text beside the words of its track 0 (without the
// final END word), one row per case.  Each command family's test file
// instantiates WordsGolden with its own rows.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

namespace kvt_test {

struct Golden {
    const char* text;
    const char* words;
};

inline void PrintTo(const Golden& g, std::ostream* os) { *os << '"' << g.text << '"'; }

class WordsGolden : public ::testing::TestWithParam<Golden> {};

} // namespace kvt_test

// Hand-written KVT texts that both differential tests run: selections,
// loops, conditions, slurs and faults that cross tracks, each with the
// condition mask it is compiled under.
#pragma once

#include <cstdint>
#include <string>

namespace kvt_test {

struct MaskedText {
    const char* text;
    uint32_t flags;
};

inline constexpr MaskedText kHandWrittenTexts[] = {
    {"c", 0},
    {"#3 c", 0},
    {"#1,3-5 c #200 d ]", 0},
    {"#0-255 c ]", 0},
    {"#0-254 c ]", 0},
    {"#1 c #2 r #3 [ ]", 0},
    {"#9 c #2 d {0", 0},
    {"#5 \\1 c\n#6 d", 0},
    {"#5 \\1 c\n#6 d", 1},
    {"#7 =268,1 \\1 c", 0},
    {"%96 / nothing", 0},
    {"#4 I N V", 0},
    {"#4 I N #5 I1,200", 0},
    {"#1 {01zz}", 0},
    {"#0 {01zz}", 0},
    {"#1 ?1\"ab\" ,", 0},
    {"#2 '' #3 () #4 (c d)", 0},
    {"#0 c #1 [ c ] #0 c", 0},
    {"#0 Zc10 #1 [ ] #0 Zc10", 0},
    {"#1 c %96 #0 c4 #1 %384 #0 c4", 0},
    {"#0 c #1 =268,1 #0 \\1 d\ne", 0},
    {"#0 c #1 d #0 \\1 e\n#1 \\1 f\n", 1},
    {"#0 [3 c #1 d #0 ] e", 0},
    {"#2 c #0 [ #1 d\n", 0},
    {"#1 c&#2 d #1 e", 0},
    {"#0 c #1 d ;text #5\n#0 e", 0},
    {"#0 c #1 \\1 #0\n#1 d", 0},
    {"#0 c #3 d #0 [ #3 ] #0 ] #3 e", 0},
    {"#1 c #0 %48 #2 %96", 0},
    {"c #1 d #0,1 e #1-0 f", 0},
};

// Names the text and its mask in a failure message.
inline std::string labelOf(const MaskedText& t)
{
    return "«" + std::string(t.text) + "» mask " + std::to_string(t.flags);
}

} // namespace kvt_test

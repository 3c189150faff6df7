#include "kvt_text_generator.h"

#include <random>

namespace kvt_test {

namespace {

// Each snippet is complete and balanced on its own.
constexpr const char* kContentSnippets[] = {
    "c4 d8 e8. f g a b > c < ",
    "l8 cdefgab l4 ",
    "o5 c4&d4&e4 f o4 ",
    "'ceg'4,*0 'dfa'2,8 'c>c'2,*0 ",
    "(c g)4 (c d e)8 ",
    "V100 P64 X127 Y64,0 K-100 K0 ",
    "V0,4,100 Z10 Zc20 Z^3 ",
    "[3 c d | e ] ",
    "[2 r4 c8 [ d e ] ] ",
    "U100 Q80 ~ _ c ",
    "@5 :1 I0,1 N1,2,3,4 ",
    "J-1,+1 M-1,3,100 ",
    "${F04110421240007F00**F7} $7\"ABC\" ",
    "T120 T*3000,2 ",
    "; a line of lyrics\n",
    "\\1 c d\n",
    "{0102 0304} ",
    "c&V10,4&d e8&(e g)8 ",
};

constexpr const char* kSilentSnippets[] = {
    "r4 r8. ", "/ comment c d e\n", "L8 o5 S+!!!!!! ", "Q*-3 U*5 ", "`+2 `-2 ", "%192 ", "=268,1 ", "[ r4 ] ", "'' ",
};

constexpr const char* kFaults[] = {
    "c0 ",
    "] ",
    "U0 ",
    "{01 02} ",
    ", ",
    "$64 ",
    ") ",
    "#300 ",
    "%0 ",
    "[1 ",
    "?300 ",
    "V,4 ",
    "'Q5' ",
    "(c) ",
    "K9000 ",
    "${F0 41} ",
    "j",
    "S+x ",
    "c4*2 ",
    // found only while a track's words are written
    "@0 ",
    "c&r ",
    "W99 ",
    "[ ",
};

template <size_t N> const char* pick(std::mt19937& rng, const char* const (&list)[N])
{
    return list[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

std::string selection(std::mt19937& rng, const GeneratorOptions& o, unsigned& turn)
{
    std::uniform_int_distribution<unsigned> track(0, o.trackNumbers - 1);
    if (o.roundRobin) return "#" + std::to_string(turn++ % o.trackNumbers) + "\n";
    if (o.varyPresence) {
        switch (std::uniform_int_distribution<int>(0, 7)(rng)) {
        case 0: return "#\n";
        case 1: {
            unsigned a = track(rng), b = track(rng);
            return "#" + std::to_string(a) + "-" + std::to_string(b) + "\n";
        }
        case 2: return "#" + std::to_string(track(rng)) + "," + std::to_string(track(rng)) + "\n";
        default: break;
        }
    }
    return "#" + std::to_string(track(rng)) + "\n";
}

} // namespace

std::string generateKvtText(const GeneratorOptions& o)
{
    std::mt19937 rng(o.seed);
    std::string text;
    text.reserve(o.targetBytes + 256);
    text += "; generated\nT120\n";
    size_t faultAt = o.withError ? o.targetBytes / 2 + std::uniform_int_distribution<size_t>(0, o.targetBytes / 2)(rng)
                                 : SIZE_MAX;
    unsigned turn = 0;
    while (text.size() < o.targetBytes) {
        text += selection(rng, o, turn);
        int count = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int i = 0; i < count; ++i) {
            bool silent = o.varyPresence && std::uniform_int_distribution<int>(0, 2)(rng) == 0;
            text += silent ? pick(rng, kSilentSnippets) : pick(rng, kContentSnippets);
            if (text.size() >= faultAt) {
                text += pick(rng, kFaults);
                faultAt = SIZE_MAX;
            }
        }
        text += "\n";
    }
    return text;
}

} // namespace kvt_test

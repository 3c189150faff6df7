// Decoder queries through the table: counts, texts with the buffer rules,
// the credit, enumeration (the decoder's own and the emulated one), and the
// version gate on real loads.
#include "audsink_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace audsink_test;

namespace {

TEST(Queries, VersionGateDecidesWhichDecodersLoad)
{
    struct Case {
        const char* decoder;
        intptr_t pcms;
    } cases[] = {
        {"fake_full", 3},     // 12035
        {"fake_emulated", 3}, // 10240
        {"fake_minimal", 1},  // no dw_pcmcount: one PCM
        {"fake_too_new", 0},  // 12036
        {"fake_top_byte", 0}, // 16777216
        {"fake_unversioned", 0}, {"no_such_decoder", 0},
    };
    OfflineSink ds;
    for (const auto& c : cases)
        EXPECT_EQ(ds->pcm_count(ds.get(), "ch=2", fakeDecoder(c.decoder).c_str()), c.pcms) << c.decoder;
    EXPECT_EQ(ds->pcm_count(ds.get(), nullptr, fakeDecoder("fake_full").c_str()), 0);
    EXPECT_EQ(ds->pcm_count(ds.get(), "ch=2", ""), 0);
}

TEST(Queries, TextBuffersAreAlwaysTerminatedAndNeverOverrun)
{
    // "text4" has 5 characters; results are length + 1.
    struct Case {
        size_t size;
        size_t result;
        const char* text;
    } cases[] = {
        {0, 6, nullptr}, {1, 6, ""}, {3, 6, "te"}, {6, 6, "text4"}, {40, 6, "text4"},
    };
    OfflineSink ds;
    const std::string decoder = fakeDecoder("fake_full");
    for (const auto& c : cases) {
        char guarded[48];
        std::memset(guarded, '#', sizeof guarded);
        char* buffer = guarded + 4;
        EXPECT_EQ(ds->text(ds.get(), "texts=9", decoder.c_str(), 0, 4, buffer, c.size), c.result) << c.size;
        EXPECT_EQ(std::string(guarded, 4), "####") << "nothing before the buffer";
        EXPECT_EQ(buffer[c.size], '#') << "nothing after it";
        if (c.text) EXPECT_STREQ(buffer, c.text) << c.size;
    }
    EXPECT_EQ(ds->text(ds.get(), "texts=9", decoder.c_str(), 0, 4, nullptr, 10), 6u);
}

TEST(Queries, EachTextPartComesFromItsEntry)
{
    struct Case {
        const char* decoder;
        size_t (*ds8::*query)(ds8*, const char*, const char*, intptr_t, intptr_t, char*, size_t);
        const char* text;
    } cases[] = {
        {"fake_full", &ds8::text, "text-2"},
        {"fake_full", &ds8::text_language, "lang-2"},
        {"fake_full", &ds8::text_charset, "cset-2"},
        {"fake_full", &ds8::text_charset_alias, "cset-2"},
        {"fake_emulated", &ds8::text_charset, "cset-2"}, // the older entry name
        {"fake_minimal", &ds8::text, ""},
    };
    OfflineSink ds;
    for (const auto& c : cases) {
        char buffer[32] = "junk";
        const size_t result =
            (ds.get()->*c.query)(ds.get(), "ch=2", fakeDecoder(c.decoder).c_str(), 1, -2, buffer, sizeof buffer);
        EXPECT_EQ(result, *c.text ? std::strlen(c.text) + 1 : 0) << c.decoder << " " << c.text;
        EXPECT_STREQ(buffer, c.text) << c.decoder;
    }
}

TEST(Queries, CountsAndCredit)
{
    OfflineSink ds;
    const std::string full = fakeDecoder("fake_full"), minimal = fakeDecoder("fake_minimal");
    EXPECT_EQ(ds->text_count(ds.get(), "texts=7", full.c_str(), 0), 7);
    EXPECT_EQ(ds->text_count(ds.get(), "texts=7", minimal.c_str(), 0), 0);
    struct Case {
        size_t size;
        size_t result;
        const char* copied;
    } cases[] = {
        {64, 22, "fake decoder for tests"},
        {5, 22, "fake"},
        {1, 22, ""},
        {0, 22, nullptr},
    };
    for (const auto& c : cases) {
        char buffer[64] = "untouched";
        EXPECT_EQ(ds->credit(ds.get(), full.c_str(), buffer, c.size), c.result);
        EXPECT_STREQ(buffer, c.copied ? c.copied : "untouched");
    }
    EXPECT_EQ(ds->credit(ds.get(), minimal.c_str(), nullptr, 0), 0u);
}

struct Seen {
    std::vector<std::string> lines;
    size_t stopAfter = SIZE_MAX;
};

int collect(void* user, const char* text, const char* language, const char* charset)
{
    auto& seen = *static_cast<Seen*>(user);
    seen.lines.push_back(std::string(text) + "|" + (language ? language : "-") + "|" + (charset ? charset : "-"));
    return seen.lines.size() < seen.stopAfter;
}

TEST(Queries, EnumerationRelaysTextsUntilTheCallbackStops)
{
    struct Case {
        const char* decoder;
        const char* file;
        intptr_t which;
        size_t stopAfter;
        std::vector<std::string> lines;
    } cases[] = {
        {"fake_full", "texts=3", 0, SIZE_MAX, {"native0|-|utf-8", "native1|-|utf-8", "native2|-|utf-8"}},
        {"fake_full", "texts=3", 0, 2, {"native0|-|utf-8", "native1|-|utf-8"}},
        {"fake_full", "texts=3", -4, SIZE_MAX, {"native-4|-|utf-8"}},
        {"fake_emulated", "texts=3", 0, SIZE_MAX, {"text0|lang0|cset0", "text1|lang1|cset1", "text2|lang2|cset2"}},
        {"fake_emulated", "texts=3", 0, 1, {"text0|lang0|cset0"}},
        {"fake_emulated", "texts=3", -1, SIZE_MAX, {"text-1|lang-1|cset-1"}},
        {"fake_emulated", "texts=0", 0, SIZE_MAX, {}},
        {"fake_minimal", "texts=3", 0, SIZE_MAX, {}},
    };
    for (const auto& c : cases) {
        Seen seen;
        seen.stopAfter = c.stopAfter;
        ds8* ds = ds8_const(&seen, nullptr, nullptr);
        ds->enum_texts(ds, c.file, fakeDecoder(c.decoder).c_str(), 0, c.which, &collect);
        EXPECT_EQ(seen.lines, c.lines) << c.decoder << " " << c.which;
        ds->enum_texts(ds, c.file, fakeDecoder(c.decoder).c_str(), 0, c.which, nullptr);
        ds->destroy(ds);
    }
}

} // namespace

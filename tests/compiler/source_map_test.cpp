// Where each word of an image came from: every run of a track's map, read
// back as the text it names, beside the words of the image.
#include "compile_helper.h"

#include "kvt/compile_job.h"
#include "kvt/source_map.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kvt_test {
namespace {

// The text a range names, found through its line and column alone.
std::string textAt(const std::string& text, const kvt::SourceRange& range)
{
    size_t lineStart = 0;
    for (uint32_t line = 1; line < range.line; ++line) {
        lineStart = text.find('\n', lineStart);
        if (lineStart == std::string::npos) return "<beyond the text>";
        ++lineStart;
    }
    const size_t at = lineStart + range.column - 1;
    return at + range.length <= text.size() ? text.substr(at, range.length) : "<beyond the text>";
}

// Runs as "word line:column text", words no command wrote as "word -".
std::string describe(const std::string& text, const kvt::TrackSourceMap& track)
{
    std::ostringstream out;
    for (const kvt::SourceRun& run : track.runs) {
        if (!out.str().empty()) out << " | ";
        out << run.firstWord << ' ';
        if (run.range.line == 0)
            out << '-';
        else
            out << run.range.line << ':' << run.range.column << ' ' << textAt(text, run.range);
    }
    return out.str();
}

struct MapRow {
    const char* text;
    uint16_t conditionMask;
    // Per track in table order: its number and runs.
    std::vector<std::pair<int, std::string>> tracks;
};

void PrintTo(const MapRow& row, std::ostream* os) { *os << '"' << row.text << '"'; }

class SourceMapGolden : public ::testing::TestWithParam<MapRow> {};

TEST_P(SourceMapGolden, EveryWordComesFromTheCommandThatWroteIt)
{
    const MapRow& row = GetParam();
    const std::string text = row.text;
    kvt::SourceMap map;
    std::vector<uint8_t> image;
    const kvt::CompileRequest request{reinterpret_cast<const uint8_t*>(text.data()),
                                      static_cast<uint32_t>(text.size()),
                                      nullptr,
                                      row.conditionMask,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      &map};
    ASSERT_EQ(kvt::compileToMemory(request, image), ZEMC_OK);
    ASSERT_EQ(map.tracks.size(), row.tracks.size());
    for (size_t i = 0; i < row.tracks.size(); ++i) {
        SCOPED_TRACE("track index " + std::to_string(i));
        EXPECT_EQ(map.tracks[i].trackNumber, row.tracks[i].first);
        EXPECT_EQ(map.tracks[i].wordCount, trackWords(image, static_cast<unsigned>(i)).size());
        EXPECT_EQ(describe(text, map.tracks[i]), row.tracks[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SourceMapGolden,
    ::testing::Values(
        // C1BC 0030 | C13E | END
        MapRow{"c d", 0, {{0, "0 1:1 c | 2 1:3 d | 3 -"}}},
        // the length, the slur mark and the accidentals belong to the note
        MapRow{"c+8.&d-8", 0, {{0, "0 1:1 c+8.& | 3 1:6 d-8 | 4 -"}}},
        // words that only set state (L, o, U) are not runs; U writes a word
        MapRow{"L8 o5 U100 c", 0, {{0, "0 1:7 U100 | 1 1:12 c | 3 -"}}},
        // LOOP_BEGIN | GLIDE_RESET and note | LOOP_BREAK | note | LOOP_END
        MapRow{"[3 c | d ]", 0, {{0, "0 1:1 [3 | 1 1:4 c | 4 1:6 | | 5 1:8 d | 6 1:10 ] | 7 -"}}},
        // the whole chord, its save, notes, waits and restore, is one command
        MapRow{"'ceg'4 c", 0, {{0, "0 1:1 'ceg'4 | 7 1:8 c | 8 -"}}},
        MapRow{"'c o5 c'2,8", 0, {{0, "0 1:1 'c o5 c'2,8 | 9 -"}}},
        // NOTE, length, GLIDE and its bend; the next note resets the glide
        MapRow{"(c g)4 c", 0, {{0, "0 1:1 (c g)4 | 4 1:8 c | 6 -"}}},
        // slur steps: the first note sounds the chain, each later step bends it
        MapRow{"c4&d4&e4 f", 0, {{0, "0 1:1 c4& | 3 1:4 d4& | 6 1:7 e4 | 9 1:10 f | 12 -"}}},
        // macro and system-exclusive words with their byte payloads
        MapRow{"$7\"ABC\" ${F07E7F0901F7} c", 0, {{0, "0 1:1 $7\"ABC\" | 3 1:9 ${F07E7F0901F7} | 7 1:25 c | 9 -"}}},
        MapRow{"V100 K-8192 Y64,127,4", 0, {{0, "0 1:1 V100 | 1 1:6 K-8192 | 2 1:13 Y64,127,4 | 5 -"}}},
        MapRow{";hello\nT120", 0, {{0, "0 1:1 ;hello | 4 2:1 T120 | 6 -"}}}));

INSTANTIATE_TEST_SUITE_P(
    Places, SourceMapGolden,
    ::testing::Values(
        // several tracks: each keeps its own word counts; shared text maps in both
        MapRow{
            "#0 c\n#1 d\n  e\n#0,1 f", 0, {{0, "0 1:4 c | 2 4:6 f | 3 -"}, {1, "0 2:4 d | 2 3:3 e | 3 4:6 f | 4 -"}}},
        MapRow{"#3 c #7 d", 0, {{3, "0 1:4 c | 2 -"}, {7, "0 1:9 d | 2 -"}}},
        // a length may stand on a later line; the blanks after a command are not its text
        MapRow{"c\n  8   \r\n\td", 0, {{0, "0 1:1 c\n  8 | 2 3:2 d | 4 -"}}},
        // comments and skipped conditional lines write nothing
        MapRow{"/ c\n\\1 d\ne", 0, {{0, "0 3:1 e | 2 -"}}}, MapRow{"\\1 d\ne", 1, {{0, "0 1:4 d | 2 2:1 e | 3 -"}}},
        // a quoted info payload's line feed starts a new line of the text
        MapRow{"?3\"a\nb\" c", 0, {{0, "0 1:1 ?3\"a\nb\" | 4 2:4 c | 6 -"}}},
        // columns count bytes, a multi-byte character included
        MapRow{";\xC3\xA9\nc ;\xC3\xA9 d", 0, {{0, "0 1:1 ;\xC3\xA9 | 3 2:1 c | 5 2:3 ;\xC3\xA9 d | 9 -"}}}));

TEST(SourceMap, FindGivesTheCommandOfEveryWordAndNothingElse)
{
    kvt::TrackSourceMap track;
    track.wordCount = 8;
    track.runs = {{0, {1, 1, 2}}, {3, {1, 4, 1}}, {7, {}}};
    struct Row {
        uint32_t word;
        uint32_t column; // 0: no range
    };
    for (const Row row : {Row{0, 1}, Row{2, 1}, Row{3, 4}, Row{6, 4}, Row{7, 0}, Row{8, 0}, Row{0xFFFFFFFF, 0}}) {
        const kvt::SourceRange* range = track.find(row.word);
        EXPECT_EQ(range != nullptr ? range->column : 0u, row.column) << "word " << row.word;
    }
    kvt::SourceMap map{{track}};
    EXPECT_NE(map.find(0, 3), nullptr);
    EXPECT_EQ(map.find(1, 3), nullptr);
}

TEST(SourceMap, ImageIsTheSameAndAFailedCompileLeavesNoMap)
{
    struct Row {
        const char* text;
        int32_t result;
    };
    for (const Row row : {Row{"#0 c [2 d 'eg'4 ] #1 (c d)8 $7\"A\"", ZEMC_OK}, Row{"c d [2 e", ZEMC_REPORTED}}) {
        const std::string text = row.text;
        kvt::SourceMap map{{kvt::TrackSourceMap{}}};
        std::vector<uint8_t> withMap, without;
        kvt::CompileRequest request{reinterpret_cast<const uint8_t*>(text.data()),
                                    static_cast<uint32_t>(text.size()),
                                    nullptr,
                                    0,
                                    nullptr,
                                    nullptr};
        EXPECT_EQ(kvt::compileToMemory(request, without), row.result) << text;
        request.sourceMap = &map;
        EXPECT_EQ(kvt::compileToMemory(request, withMap), row.result) << text;
        EXPECT_EQ(withMap, without) << text;
        EXPECT_EQ(map.tracks.empty(), row.result != ZEMC_OK) << text;
    }
}

} // namespace
} // namespace kvt_test

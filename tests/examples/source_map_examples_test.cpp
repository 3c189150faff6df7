// Every example score compiles to the same image with and without its
// source map, and the map covers each track's words with ranges inside the
// text that start on a command.
#include "example_performance.h"

#include "kvt/compile_job.h"
#include "kvt/source_map_file.h"
#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace examples_test {
namespace {

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Offsets of the first byte of every line.
std::vector<size_t> lineStarts(const std::string& text)
{
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') starts.push_back(i + 1);
    return starts;
}

class ExampleMap : public testing::TestWithParam<std::string> {};

TEST_P(ExampleMap, SameImageAndEveryWordTracedToACommand)
{
    const std::string text = readText(examplePath(GetParam()));
    kvt::CompileRequest request{reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<uint32_t>(text.size()),
                                nullptr,
                                0,
                                nullptr,
                                nullptr};
    std::vector<uint8_t> without, with;
    ASSERT_EQ(kvt::compileToMemory(request, without), 0);
    kvt::SourceMap map;
    request.sourceMap = &map;
    ASSERT_EQ(kvt::compileToMemory(request, with), 0);
    EXPECT_EQ(with, without);

    const unsigned trackCount = zem::readU16(with.data() + zem::kOffTrackCount);
    ASSERT_EQ(map.tracks.size(), trackCount);
    const std::vector<size_t> starts = lineStarts(text);
    for (unsigned i = 0; i < trackCount; ++i) {
        const uint8_t* entry = with.data() + zem::kHeaderSize + zem::kTrackEntrySize * i;
        const kvt::TrackSourceMap& track = map.tracks[i];
        EXPECT_EQ(track.wordCount * 2, zem::readU32(entry + 4)) << "track " << i;
        ASSERT_FALSE(track.runs.empty());
        EXPECT_EQ(track.runs.back().range, kvt::SourceRange{}) << "the end word comes from no command";
        for (size_t r = 0; r + 1 < track.runs.size(); ++r) {
            const kvt::SourceRange& range = track.runs[r].range;
            ASSERT_TRUE(range.line >= 1 && range.line <= starts.size()) << "track " << i << " run " << r;
            const size_t at = starts[range.line - 1] + range.column - 1;
            ASSERT_LE(at + range.length, text.size()) << "track " << i << " run " << r;
            EXPECT_GT(range.length, 0u);
            EXPECT_FALSE(std::isspace(static_cast<unsigned char>(text[at])) ||
                         std::isspace(static_cast<unsigned char>(text[at + range.length - 1])))
                << "track " << i << " run " << r << ": \"" << text.substr(at, range.length) << '"';
        }
    }

    const std::vector<uint8_t> file = kvt::encodeSourceMap(map);
    kvt::SourceMap read;
    EXPECT_EQ(kvt::decodeSourceMap(file.data(), file.size(), read), kvt::SourceMapError::None);
    EXPECT_EQ(read, map);
}

INSTANTIATE_TEST_SUITE_P(Scores, ExampleMap, testing::ValuesIn(exampleScores()),
                         [](const testing::TestParamInfo<std::string>& param) {
                             return param.param.substr(0, param.param.find('.'));
                         });

} // namespace
} // namespace examples_test

// The source map file: what a compile's map reads back as, and files cut
// short or forged byte by byte.
#include "compile_helper.h"
#include "kvt/source_map_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kvt {
namespace {

using kvt_test::compiledMap;

// Two tracks: 3 runs (c, d, end) and 2 runs (e, end).
const std::string kTwoTracks = "#0 c d #1 e";

std::vector<uint8_t> twoTrackFile() { return encodeSourceMap(compiledMap(kTwoTracks)); }

void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(SourceMapFile, ReadsBackWhatWasWritten)
{
    for (const char* text : {"c", kTwoTracks.c_str(), "#0-2 [2 c 'eg'4 (c d)8 ] #200 $7\"A\"\n V100,4,^5"}) {
        const SourceMap map = compiledMap(text);
        const std::vector<uint8_t> bytes = encodeSourceMap(map);
        size_t runs = 0;
        for (const TrackSourceMap& t : map.tracks) runs += t.runs.size();
        EXPECT_EQ(bytes.size(), 16 + 12 * map.tracks.size() + 16 * runs) << text;
        SourceMap read{{TrackSourceMap{}}};
        EXPECT_EQ(decodeSourceMap(bytes.data(), bytes.size(), read), SourceMapError::None) << text;
        EXPECT_EQ(read, map) << text;
    }
}

TEST(SourceMapFile, BytesAreAsDocumented)
{
    const std::vector<uint8_t> bytes = encodeSourceMap(compiledMap("c"));
    const std::vector<uint8_t> expected = {
        'Z', 'E', 'M', '-', 'S', 'M', 'A', 'P', 1, 0, 1, 0, 2, 0, 0, 0, // header: version 1, 1 track, 2 runs
        0,   0,   0,   0,   3,   0,   0,   0,   2, 0, 0, 0,             // track 0: 3 words, 2 runs
        0,   0,   0,   0,   1,   0,   0,   0,   1, 0, 0, 0, 1, 0, 0, 0, // word 0: line 1, column 1, 1 byte
        2,   0,   0,   0,   0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, // word 2: the end word
    };
    EXPECT_EQ(bytes, expected);
}

TEST(SourceMapFile, EveryCutIsTruncated)
{
    const std::vector<uint8_t> bytes = twoTrackFile();
    for (size_t size = 0; size < bytes.size(); ++size) {
        SourceMap map;
        EXPECT_EQ(decodeSourceMap(bytes.data(), size, map), SourceMapError::Truncated) << size;
        EXPECT_TRUE(map.tracks.empty());
    }
}

struct Forgery {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> change;
    SourceMapError error;
};

TEST(SourceMapFile, ForgedFieldsAreRefused)
{
    // Layout of the two-track file: header 0-15, table 16-39 (track 0 at 16,
    // track 1 at 28), runs from 40: track 0 at 40, 56, 72; track 1 at 88, 104.
    const Forgery forgeries[] = {
        {"magic", [](auto& b) { b[3] = 'X'; }, SourceMapError::NotASourceMap},
        {"version 2", [](auto& b) { b[8] = 2; }, SourceMapError::UnknownVersion},
        {"version 0", [](auto& b) { b[8] = 0; }, SourceMapError::UnknownVersion},
        {"no tracks", [](auto& b) { b[10] = 0; }, SourceMapError::Malformed},
        {"257 tracks", [](auto& b) { b[10] = 1, b[11] = 1; }, SourceMapError::Malformed},
        {"run total too large", [](auto& b) { putU32(b, 12, 0xFFFFFFFF); }, SourceMapError::Malformed},
        {"track runs overflow the total", [](auto& b) { putU32(b, 24, 0xFFFFFFFF); }, SourceMapError::Malformed},
        {"runs moved between tracks", [](auto& b) { putU32(b, 24, 2), putU32(b, 36, 3); }, SourceMapError::Malformed},
        {"reserved byte", [](auto& b) { b[17] = 1; }, SourceMapError::Malformed},
        {"track numbers not ascending", [](auto& b) { b[28] = 0; }, SourceMapError::Malformed},
        {"trailing byte", [](auto& b) { b.push_back(0); }, SourceMapError::Malformed},
        {"first run not at word 0", [](auto& b) { putU32(b, 40, 1); }, SourceMapError::Malformed},
        {"runs out of order", [](auto& b) { putU32(b, 72, 1); }, SourceMapError::Malformed},
        {"run beyond the track", [](auto& b) { putU32(b, 72, 4); }, SourceMapError::Malformed},
        {"no words but runs", [](auto& b) { putU32(b, 32, 0); }, SourceMapError::Malformed},
        {"column 0 on a line", [](auto& b) { putU32(b, 48, 0); }, SourceMapError::Malformed},
        {"end word with a place", [](auto& b) { putU32(b, 84, 5); }, SourceMapError::Malformed},
    };
    for (const Forgery& f : forgeries) {
        std::vector<uint8_t> bytes = twoTrackFile();
        ASSERT_EQ(bytes.size(), 120u);
        f.change(bytes);
        SourceMap map;
        EXPECT_EQ(decodeSourceMap(bytes.data(), bytes.size(), map), f.error) << f.what;
        EXPECT_TRUE(map.tracks.empty()) << f.what;
    }
}

} // namespace
} // namespace kvt

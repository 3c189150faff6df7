// Real MIDI files, good and malformed: each converts or stops with one of
// the reader's errors.
#include "smf_bytes.h"

#include "smf/read_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace mid2kvt_test {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = ZEM_SOURCE_DIR "/../shared/corpus/midi";

bool is_midi_name(const fs::path& p)
{
    std::string ext = p.extension().string();
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".mid" || ext == ".midi" || ext == ".rmi" || ext == ".kar" || ext == ".smf" || ext.empty();
}

TEST(CorpusTest, EveryFileConvertsOrGetsAReaderError)
{
    if (!fs::is_directory(kCorpus))
        GTEST_SKIP() << "no MIDI corpus at " << kCorpus;
    int converted = 0;
    int refused = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kCorpus)) {
        if (!entry.is_regular_file() || !is_midi_name(entry.path()))
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const Converted out = convert(file);
        if (out.error == smf::ReadError::None) {
            ++converted;
            EXPECT_EQ(out.text.compare(0, 3, "#0 "), 0) << entry.path();
        } else {
            ++refused;
            EXPECT_NE(smf::read_error_message(uint32_t(out.error)), nullptr) << entry.path();
        }
    }
    std::cout << converted << " converted, " << refused << " refused\n";
    EXPECT_GT(converted, 20);
    EXPECT_GT(refused, 5);
}

} // namespace
} // namespace mid2kvt_test

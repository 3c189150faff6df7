// Real MIDI files, good and malformed: each converts or stops with one of
// the reader's errors, and a converted text compiles back unless the
// importer said why it will not.
#include "smf_bytes.h"
#include "temp_dir.h"

#include "smf/read_error.h"

#include "zemcmain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace mid2kvt_test {
namespace {

namespace fs = std::filesystem;

// Beside the source tree, or beside the folder of worktrees that holds it.
fs::path corpusFolder()
{
    for (const char* relative : {"/../shared/corpus/midi", "/../../shared/corpus/midi"}) {
        const fs::path p = fs::path(ZEM_SOURCE_DIR + std::string(relative));
        if (fs::is_directory(p)) return p;
    }
    return {};
}

bool isMidiName(const fs::path& p)
{
    std::string ext = p.extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".mid" || ext == ".midi" || ext == ".rmi" || ext == ".kar" || ext == ".smf" || ext.empty();
}

struct CorpusFile {
    fs::path path;
    Converted out;
};

std::vector<CorpusFile> convertedCorpus()
{
    std::vector<CorpusFile> files;
    const fs::path corpus = corpusFolder();
    if (corpus.empty()) return files;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file() || !isMidiName(entry.path())) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        files.push_back({entry.path(), convert(file)});
    }
    return files;
}

TEST(CorpusTest, EveryFileConvertsOrGetsAReaderError)
{
    const std::vector<CorpusFile> files = convertedCorpus();
    if (files.empty()) GTEST_SKIP() << "no MIDI corpus beside the source tree";
    int converted = 0;
    int refused = 0;
    for (const CorpusFile& f : files) {
        if (f.out.error == smf::ReadError::None) {
            ++converted;
            EXPECT_EQ(f.out.text.compare(0, 3, "#0 "), 0) << f.path;
        } else {
            ++refused;
            EXPECT_NE(smf::readErrorMessage(uint32_t(f.out.error)), nullptr) << f.path;
        }
    }
    std::cout << converted << " converted, " << refused << " refused\n";
    EXPECT_GT(converted, 20);
    EXPECT_GT(refused, 5);
}

void keepMessage(void* user, const char* message, const char*) { *static_cast<std::string*>(user) = message; }

// The compiler takes back every text the importer did not warn about; a file
// without a single note or message compiles to nothing, which it refuses.
TEST(CorpusTest, ConvertedTextCompilesUnlessALimitWasTold)
{
    const std::vector<CorpusFile> files = convertedCorpus();
    if (files.empty()) GTEST_SKIP() << "no MIDI corpus beside the source tree";
    const zem_test::TempDir dir;
    const std::string image = dir.file("corpus.zem");
    int compiled = 0;
    int told = 0;
    for (const CorpusFile& f : files) {
        if (f.out.error != smf::ReadError::None) continue;
        std::string message;
        const int32_t result = zemc(reinterpret_cast<const uint8_t*>(f.out.text.data()), uint32_t(f.out.text.size()),
                                    "corpus.kvt", image.c_str(), 0, keepMessage, &message);
        if (f.out.notes.limit != mid2kvt::TextLimit::None) {
            ++told;
            EXPECT_EQ(result, ZEMC_REPORTED) << f.path << ": told, yet it compiled";
        } else if (result == ZEMC_OK) {
            ++compiled;
        } else {
            EXPECT_EQ(message, "Empty effective track.") << f.path;
        }
    }
    std::cout << compiled << " compiled back, " << told << " told why not\n";
    EXPECT_GT(compiled, 20);
}

} // namespace
} // namespace mid2kvt_test

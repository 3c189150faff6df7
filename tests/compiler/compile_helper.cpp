#include "compile_helper.h"

#include "kvt/compile_job.h"
#include "temp_dir.h"
#include "zem/command_words.h"
#include "zemcmain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kvt_test {

namespace {

void recordMessage(void* user, const char* message, const char* name)
{
    auto* c = static_cast<Compiled*>(user);
    ++c->callbackCalls;
    c->message = message != nullptr ? message : "";
    c->name = name != nullptr ? name : "";
}

} // namespace

std::string scratchDir()
{
    static const zem_test::TempDir dir;
    return dir.path();
}

Compiled compileText(const std::string& text, uint32_t flags, const std::string& output)
{
    Compiled c;
    std::string path = scratchDir() + "/" + output;
    std::filesystem::remove(path);
    c.result = zemc(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()), "song.kvt",
                    path.c_str(), flags, recordMessage, &c);
    c.fileExists = std::filesystem::exists(path);
    if (c.fileExists) {
        std::ifstream in(path, std::ios::binary);
        c.image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return c;
}

Compiled compileInMemory(const std::string& text, uint32_t flags)
{
    Compiled c;
    const kvt::CompileRequest request{reinterpret_cast<const uint8_t*>(text.data()),
                                      static_cast<uint32_t>(text.size()),
                                      "song.kvt",
                                      static_cast<uint16_t>(flags),
                                      recordMessage,
                                      &c};
    c.result = kvt::compileToMemory(request, c.image);
    return c;
}

kvt::SourceMap compiledMap(const std::string& text, uint32_t flags, std::vector<uint8_t>* image)
{
    kvt::SourceMap map;
    std::vector<uint8_t> scratch;
    kvt::CompileRequest request{reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<uint32_t>(text.size()),
                                nullptr,
                                static_cast<uint16_t>(flags),
                                nullptr,
                                nullptr};
    request.sourceMap = &map;
    EXPECT_EQ(kvt::compileToMemory(request, image ? *image : scratch), ZEMC_OK) << text;
    return map;
}

std::vector<uint16_t> trackWords(const std::vector<uint8_t>& image, unsigned index)
{
    std::vector<uint16_t> words;
    if (image.size() < zem::kHeaderSize) {
        ADD_FAILURE() << "image of " << image.size() << " bytes";
        return words;
    }
    unsigned count = zem::readU16(image.data() + zem::kOffTrackCount);
    size_t entry = zem::kHeaderSize + zem::kTrackEntrySize * index;
    if (index >= count || entry + zem::kTrackEntrySize > image.size()) {
        ADD_FAILURE() << "no track " << index << " of " << count;
        return words;
    }
    uint32_t start = zem::readU32(image.data() + entry);
    uint32_t length = zem::readU32(image.data() + entry + 4);
    if (start + static_cast<uint64_t>(length) > image.size() || length % 2 != 0) {
        ADD_FAILURE() << "track " << index << " outside the image";
        return words;
    }
    for (uint32_t i = 0; i < length; i += 2) words.push_back(zem::readU16(image.data() + start + i));
    return words;
}

std::vector<uint16_t> wordsOf(const std::string& text, uint32_t flags)
{
    Compiled c = compileInMemory(text, flags);
    if (c.result != 0) {
        ADD_FAILURE() << "«" << text << "» failed: " << c.message;
        return {};
    }
    std::vector<uint16_t> words = trackWords(c.image, 0);
    if (words.empty() || words.back() != zem::kEnd) {
        ADD_FAILURE() << "«" << text << "» does not end in END: " << hexWords(words);
        return {};
    }
    words.pop_back();
    return words;
}

std::string hexWords(const std::vector<uint16_t>& words)
{
    std::string out;
    char buf[8];
    for (uint16_t w : words) {
        std::snprintf(buf, sizeof buf, "%s%04X", out.empty() ? "" : " ", w);
        out += buf;
    }
    return out;
}

} // namespace kvt_test

// Compiles KVT text through the library entry into a scratch folder, or
// into memory, and hands back the result, the reported message and the
// image's words.
#pragma once

#include "kvt/source_map.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvt_test {

struct Compiled {
    int32_t result = 0;
    int callbackCalls = 0;
    std::string message;
    std::string name;
    bool fileExists = false;
    std::vector<uint8_t> image;
};

// The scratch folder for this test process (created on first use).
std::string scratchDir();

Compiled compileText(const std::string& text, uint32_t flags = 0, const std::string& output = "out.zem");
// The same through the in-memory compile (no file: fileExists stays false).
Compiled compileInMemory(const std::string& text, uint32_t flags = 0);
// The source map of `text` compiled in memory, the image in *image when
// given; a failed compile fails the calling test.
kvt::SourceMap compiledMap(const std::string& text, uint32_t flags = 0, std::vector<uint8_t>* image = nullptr);

// The words of the track at table index `index` (bounds-checked; a track
// outside the image fails the calling test and gives nothing).
std::vector<uint16_t> trackWords(const std::vector<uint8_t>& image, unsigned index);

// The words of track index 0 of `text` without the final END word; empty
// with a test failure when the compilation fails.
std::vector<uint16_t> wordsOf(const std::string& text, uint32_t flags = 0);

std::string hexWords(const std::vector<uint16_t>& words);

} // namespace kvt_test

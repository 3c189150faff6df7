// Builds ZEM images for tests from per-track word lists, with helpers that
// encode lengths and byte payloads the way the compiler does.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace zemtest {

using Words = std::vector<uint16_t>;

struct ImagePlan {
    std::vector<Words> tracks;
    uint16_t timebase = 192;
    std::string version = "0.47";
    uint32_t title = 0, notice = 0; // payload offsets (see payloadOffset)
    uint32_t extensionSize = 8;
    uint32_t meta190 = 0, meta191 = 0; // extension payload offsets
};

std::vector<uint8_t> buildImage(const ImagePlan& plan);

// Byte offset in the built image of word `index` of track `track`.
uint32_t wordOffset(const ImagePlan& plan, unsigned track, size_t index);
// Offset of the payload of the META command whose word is at `index`.
inline uint32_t payloadOffset(const ImagePlan& plan, unsigned track, size_t index)
{
    return wordOffset(plan, track, index) + 4;
}

Words cat(std::initializer_list<Words> parts);
Words lengthWords(uint32_t ticks);
// Bytes two per word, low byte first, padded; with a NUL when asked.
Words payloadWords(const std::vector<uint8_t>& bytes, bool withNul);
std::vector<uint8_t> bytesOf(const std::string& s);

Words note(unsigned key, uint32_t length, bool waitAfter = true);
Words wait(uint32_t ticks);
Words meta(unsigned type, const std::vector<uint8_t>& payload);
Words text(const std::string& s);
Words sysex(const std::vector<uint8_t>& bytes);
Words macro(unsigned code, const std::vector<uint8_t>& args);
Words param(unsigned reg, uint16_t value);
Words tempo(uint32_t period);

} // namespace zemtest

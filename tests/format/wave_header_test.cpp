// The 44-byte PCM WAVE header, byte for byte.
#include "wave/pcm_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct HeaderCase {
    const char* name;
    wave::PcmFormat format;
    uint32_t dataBytes;
    std::string bytes;
};

std::string text(const std::array<uint8_t, wave::kPcmHeaderBytes>& h) { return std::string(h.begin(), h.end()); }

TEST(WaveHeader, CanonicalPcmHeader)
{
    using namespace std::string_literals;
    const std::vector<HeaderCase> table = {
        {"44.1 kHz 16-bit stereo",
         {2, 44100, 16},
         0x01020304,
         "RIFF\x28\x03\x02\x01WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0data\x04\x03\x02\x01"s},
        {"8 kHz 8-bit mono, empty",
         {1, 8000, 8},
         0,
         "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1F\0\0\x40\x1F\0\0\x01\0\x08\0data\0\0\0\0"s},
        {"largest data size",
         {1, 22050, 16},
         wave::kMaxPcmDataBytes,
         "RIFF\xFF\xFF\xFF\xFFWAVEfmt \x10\0\0\0\x01\0\x01\0\x22\x56\0\0\x44\xAC\0\0\x02\0\x10\0data\xDB\xFF\xFF\xFF"s},
    };
    for (const HeaderCase& c : table) {
        ASSERT_EQ(c.bytes.size(), wave::kPcmHeaderBytes) << c.name;
        EXPECT_EQ(text(wave::pcmHeader(c.format, c.dataBytes)), c.bytes) << c.name;
    }
}

} // namespace

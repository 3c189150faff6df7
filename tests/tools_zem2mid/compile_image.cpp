#include "compile_image.h"

#include "temp_dir.h"

#include <zemcmain.h>

#include <gtest/gtest.h>

namespace zem2mid_test {

std::vector<uint8_t> compile(const std::string& text)
{
    const zem_test::TempDir dir;
    const std::string image = dir.file("song.zem");
    EXPECT_EQ(zemc(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()), "song.kvt",
                   image.c_str(), 0, nullptr, nullptr),
              0);
    const std::string bytes = zem_test::readFile(image);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace zem2mid_test

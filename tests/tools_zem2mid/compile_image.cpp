#include "compile_image.h"

#include "kvt/compile_job.h"

#include <gtest/gtest.h>

namespace zem2mid_test {

std::vector<uint8_t> compile(const std::string& text)
{
    const kvt::CompileRequest request{reinterpret_cast<const uint8_t*>(text.data()),
                                      static_cast<uint32_t>(text.size()),
                                      "song.kvt",
                                      0,
                                      nullptr,
                                      nullptr};
    std::vector<uint8_t> image;
    EXPECT_EQ(kvt::compileToMemory(request, image), ZEMC_OK);
    return image;
}

} // namespace zem2mid_test

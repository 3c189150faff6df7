// A volume envelope record (24 bytes, as the envelope meta events carry it):
// full level at once, then a release to silence in 100 ms.
#pragma once

#include <cstdint>
#include <vector>

namespace zemtest {

inline std::vector<uint8_t> releaseRecord()
{
    std::vector<uint8_t> r(24, 0);
    r[1] = 0x80;
    r[8] = r[9] = r[10] = r[11] = 100;
    r[20] = 100;
    return r;
}

} // namespace zemtest

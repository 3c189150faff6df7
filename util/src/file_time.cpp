#include "file_time.h"

#include <ctime>

namespace util {

DateTime local_write_time(const struct stat& st)
{
    std::tm parts{};
    time_t seconds = st.st_mtim.tv_sec;
    localtime_r(&seconds, &parts);
    DateTime t;
    t.year = static_cast<uint16_t>(parts.tm_year + 1900);
    t.month = static_cast<uint8_t>(parts.tm_mon + 1);
    t.day = static_cast<uint8_t>(parts.tm_mday);
    t.hour = static_cast<uint8_t>(parts.tm_hour);
    t.minute = static_cast<uint8_t>(parts.tm_min);
    t.second = static_cast<uint8_t>(parts.tm_sec);
    t.millisecond = static_cast<uint16_t>(st.st_mtim.tv_nsec / 1000000);
    return t;
}

bool name_taken(const char* path)
{
    struct stat st;
    return lstat(path, &st) == 0;
}

} // namespace util

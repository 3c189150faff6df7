// Running an independent reference tool (sox, ffmpeg, ffprobe) from a test.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

namespace zem2wav_test {

// Output of a shell command (standard output and error) and its status.
inline std::pair<int, std::string> shell(const std::string& command)
{
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, out};
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    return {pclose(pipe), out};
}

} // namespace zem2wav_test

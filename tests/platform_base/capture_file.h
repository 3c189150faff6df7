// A temporary file whose newly written bytes a test can take, piece by piece.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class CaptureFile {
public:
    CaptureFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zemcaptureXXXXXX").string();
        int fd = mkstemp(pattern.data());
        if (fd < 0) {
            ADD_FAILURE() << "mkstemp failed";
        } else {
            ::close(fd);
        }
        path_ = pattern;
    }
    ~CaptureFile() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }
    // The bytes written since the last call.
    std::string take()
    {
        std::ifstream in(path_, std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string fresh = all.size() >= seen_ ? all.substr(seen_) : all;
        seen_ = all.size();
        return fresh;
    }

private:
    std::string path_;
    size_t seen_ = 0;
};

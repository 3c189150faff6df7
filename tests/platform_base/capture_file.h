// A temporary file whose newly written bytes a test can take, piece by piece.
#pragma once

#include "temp_dir.h"

#include <string>

class CaptureFile {
public:
    CaptureFile() { dir_.write("capture", ""); }
    const std::string& path() const { return path_; }
    // The bytes written since the last call.
    std::string take()
    {
        const std::string all = zem_test::readFile(path_);
        std::string fresh = all.size() >= seen_ ? all.substr(seen_) : all;
        seen_ = all.size();
        return fresh;
    }

private:
    zem_test::TempDir dir_;
    std::string path_ = dir_.file("capture");
    size_t seen_ = 0;
};

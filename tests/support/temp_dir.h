// A temporary folder for tests that touch files, removed with its contents.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zem_test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // The names in the folder, sorted.
    std::vector<std::string> listing() const;

private:
    std::string path_;
};

// Sets a file's last-write time to a local date and time.
bool setLocalMtime(const std::string& path, int year, int month, int day, int hour, int minute, int second);

std::string readFile(const std::string& path);
// The bytes of a file; empty when it cannot be read.
std::vector<uint8_t> readBytes(const std::string& path);
// Writes bytes to path, replacing what it held.
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace zem_test

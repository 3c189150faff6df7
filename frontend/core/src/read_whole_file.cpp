#include "frontend/compile_image.h"

#include "platform/full_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace frontend {

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::vector<uint8_t>> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        std::vector<uint8_t> data;
        // The size is a hint only: the file may grow or shrink while read.
        constexpr size_t kChunk = 64 * 1024;
        bool failed = false;
        for (;;) {
            const size_t at = data.size();
            data.resize(at + (at == 0 && info.st_size > 0 ? size_t(info.st_size) + 1 : kChunk));
            const size_t wanted = data.size() - at;
            ssize_t last = 0;
            const size_t got = platform::transferFully(
                wanted, [&](size_t done) { return last = ::read(fd, data.data() + at + done, wanted - done); });
            data.resize(at + got);
            if (last < 0) failed = true;
            if (got < wanted) break;
        }
        if (!failed) bytes = std::move(data);
    }
    ::close(fd);
    return bytes;
}

} // namespace frontend

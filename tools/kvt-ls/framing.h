// The base protocol's framing: header lines ending in CR LF, a blank line,
// then Content-Length bytes of JSON.
#pragma once

#include <cstddef>
#include <string>

namespace kvtls {

class MessageReader {
public:
    enum class Result { Message, End, BadFrame };

    // Reads from file descriptor `fd`; bodies above `maxBody` bytes are
    // skipped and reported as BadFrame.
    explicit MessageReader(int fd, size_t maxBody = size_t{256} << 20) : fd_(fd), maxBody_(maxBody) {}

    // The next body.  BadFrame: the header was unreadable or the body too
    // large; reading can go on with the next frame.  End: the input closed.
    Result next(std::string& body);

private:
    int fd_;
    size_t maxBody_;
    std::string buffer_;
    size_t start_ = 0;

    bool fill();
    bool readLine(std::string& line);
    bool readBytes(size_t count, std::string* into);
};

// Writes one framed message; false when the output is gone.
bool writeMessage(int fd, const std::string& body);

} // namespace kvtls

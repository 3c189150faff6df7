#include "framing.h"

#include <cerrno>
#include <cstdlib>
#include <strings.h>
#include <unistd.h>

namespace kvtls {

namespace {

constexpr size_t kChunk = 1 << 16;
constexpr size_t kMaxHeaderLine = 1 << 12;

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool MessageReader::fill()
{
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    const size_t old = buffer_.size();
    buffer_.resize(old + kChunk);
    ssize_t n;
    do {
        n = ::read(fd_, buffer_.data() + old, kChunk);
    } while (n < 0 && errno == EINTR);
    buffer_.resize(old + (n > 0 ? static_cast<size_t>(n) : 0));
    return n > 0;
}

bool MessageReader::readLine(std::string& line)
{
    line.clear();
    for (;;) {
        const size_t lf = buffer_.find('\n', start_);
        if (lf != std::string::npos) {
            line.assign(buffer_, start_, lf - start_);
            start_ = lf + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > kMaxHeaderLine) line.resize(kMaxHeaderLine);
            return true;
        }
        // A header line without end: keep only its start.
        if (buffer_.size() - start_ > kMaxHeaderLine) buffer_.erase(start_ + kMaxHeaderLine);
        if (!fill()) return false;
    }
}

bool MessageReader::readBytes(size_t count, std::string* into)
{
    if (into != nullptr) into->clear();
    while (count > 0) {
        if (start_ == buffer_.size() && !fill()) return false;
        const size_t take = std::min(count, buffer_.size() - start_);
        if (into != nullptr) into->append(buffer_, start_, take);
        start_ += take;
        count -= take;
    }
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return true;
}

MessageReader::Result MessageReader::next(std::string& body)
{
    std::string line;
    long long length = -1;
    bool sawHeader = false;
    for (;;) {
        if (!readLine(line)) return Result::End;
        if (line.empty()) {
            if (sawHeader) break;
            continue; // stray blank lines between frames
        }
        sawHeader = true;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        if (colon == 14 && strncasecmp(line.c_str(), "Content-Length", 14) == 0) {
            const char* digits = line.c_str() + colon + 1;
            char* endPtr = nullptr;
            errno = 0;
            length = std::strtoll(digits, &endPtr, 10);
            if (errno != 0 || endPtr == digits) length = -1;
        }
    }
    if (length < 0) return Result::BadFrame;
    const size_t size = static_cast<size_t>(length);
    if (size > maxBody_) return readBytes(size, nullptr) ? Result::BadFrame : Result::End;
    return readBytes(size, &body) ? Result::Message : Result::End;
}

bool writeMessage(int fd, const std::string& body)
{
    const std::string header = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    return writeAll(fd, header.data(), header.size()) && writeAll(fd, body.data(), body.size());
}

} // namespace kvtls

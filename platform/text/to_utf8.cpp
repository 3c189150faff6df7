#include "platform/text.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD"; // U+FFFD

std::string replaceNonAscii(const char* bytes, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += kReplacement;
        }
    }
    return out;
}

class Converter {
public:
    explicit Converter(const char* charset) : cd_(iconv_open("UTF-8", charset)) {}
    ~Converter()
    {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return cd_; }

private:
    iconv_t cd_;
};

} // namespace

std::string toUtf8(const char* bytes, size_t n, const char* charset)
{
    if (bytes == nullptr || n == 0) {
        return std::string();
    }
    Converter converter(charset != nullptr ? charset : "");
    if (!converter.valid()) {
        return replaceNonAscii(bytes, n);
    }
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(bytes); // iconv's interface is not const-correct
    size_t inLeft = n;
    while (inLeft > 0) {
        char* next = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = iconv(converter.handle(), &in, &inLeft, &next, &outLeft);
        int error = errno;
        out.append(buffer, static_cast<size_t>(next - buffer));
        if (result != static_cast<size_t>(-1)) {
            continue;
        }
        if (error == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL: skip one byte and start afresh.
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
    }
    // Flush the shift state of stateful character sets.
    char* next = buffer;
    size_t outLeft = sizeof buffer;
    iconv(converter.handle(), nullptr, nullptr, &next, &outLeft);
    out.append(buffer, static_cast<size_t>(next - buffer));
    return out;
}

} // namespace platform

// qzdecode FILE [DECODER]: decodes FILE through a decoder plug-in, prints the
// format record to standard error and writes the PCM to standard output.
#include "file_host.h"
#include "qzdecoder.h"

#include "platform/dynload.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kDefaultDecoder = "qzwav.so";
constexpr size_t kPieceBytes = 65536;
// A decoder that keeps answering "nothing yet, not the end" is given up on.
constexpr int kMaxIdleCalls = 1000;

void printUsage(std::FILE* to)
{
    std::fprintf(to,
                 "usage: qzdecode FILE [DECODER]\n"
                 "Decodes FILE through a decoder plug-in (default %s), prints its format to\n"
                 "standard error and writes the decoded PCM to standard output.\n",
                 kDefaultDecoder);
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "qzdecode: %s\n", message.c_str());
    return 1;
}

bool writeAll(const uint8_t* data, size_t size)
{
    while (size > 0) {
        ssize_t put = ::write(STDOUT_FILENO, data, size);
        if (put <= 0) return false;
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

struct Decoder {
    dw_open_fn open;
    dw_decode_fn decode;
    dw_isend_fn isEnd;
    dw_close_fn close;
};

int decodeFile(const Decoder& d, const char* file)
{
    const dw_host* host = fileHostTable();
    uint8_t* handle = d.open(host, 0, file, 0, 0);
    if (!handle) return fail(std::string("cannot decode ") + file);
    dw_format f = dw_format_read(handle);
    std::fprintf(stderr, "channels %u, bytes per sample %u, flags %u, version %u, rate %u Hz, frames %u\n", f.channels,
                 f.sample_bytes, f.flags, f.version, f.rate, f.frames);
    std::vector<uint8_t> buffer(kPieceBytes);
    int result = 0;
    for (int idle = 0; idle < kMaxIdleCalls;) {
        size_t got = d.decode(host, handle, buffer.data(), buffer.size());
        if (got > 0) {
            idle = 0;
            if (!writeAll(buffer.data(), got)) {
                result = fail("cannot write to standard output");
                break;
            }
        } else if (d.isEnd && d.isEnd(host, handle)) {
            break;
        } else {
            ++idle;
        }
    }
    d.close(host, handle);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        printUsage(stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("qzdecode 0.47\n");
        return 0;
    }
    if (argc < 2 || argc > 3) {
        printUsage(stderr);
        return 1;
    }
    const std::string decoderName = argc == 3 ? argv[2] : kDefaultDecoder;
    platform::DynamicLibrary library(decoderName);
#ifdef ZEM_PLUGIN_DIR
    // Installed, the plug-ins sit in a folder of their own.
    if (!library.isLoaded() && decoderName.find('/') == std::string::npos)
        library = platform::DynamicLibrary(std::string(ZEM_PLUGIN_DIR) + "/" + decoderName);
#endif
    if (!library.isLoaded()) return fail(library.error());
    auto version = library.entry<dw_version_fn>(DW_ENTRY_VERSION);
    if (!version) return fail(decoderName + " is not a decoder");
    uint32_t v = version();
    if ((v >> 24) != 0 || (v & 0xFFFFFFu) > DW_HOST_MAX_VERSION) return fail(decoderName + " is too new");
    Decoder d{library.entry<dw_open_fn>(DW_ENTRY_OPEN), library.entry<dw_decode_fn>(DW_ENTRY_DECODE),
              library.entry<dw_isend_fn>(DW_ENTRY_ISEND), library.entry<dw_close_fn>(DW_ENTRY_CLOSE)};
    if (!d.open || !d.decode || !d.close) return fail(decoderName + " lacks dw_open, dw_decode or dw_close");
    return decodeFile(d, argv[1]);
}

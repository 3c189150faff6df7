// qzdecode FILE [DECODER]: decodes FILE through a decoder plug-in, prints the
// format record to standard error and writes the PCM to standard output.
#include "common/option_words.h"
#include "decoder_plugins/decoder_module.h"
#include "decoder_plugins/posix_file_host.h"
#include "platform/terminal_text.h"
#include "qzdecoder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
    std::fprintf(stderr, "qzdecode: %s\n", platform::terminalSafe(message).c_str());
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

// A decoder named by a path is taken from there (the user chose it); a bare
// name from where every host looks for decoders.
std::string decoderPath(const std::string& name)
{
    if (name.find('/') == std::string::npos || name.front() == '/') return name;
    char* folder = getcwd(nullptr, 0);
    const std::string path = folder ? std::string(folder) + "/" + name : std::string();
    std::free(folder);
    return path;
}

int decodeFile(const decoder_plugins::DecoderEntries& d, const char* file)
{
    const dw_host* host = decoder_plugins::posixFileHost();
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
    tools::InfoRequest request = tools::InfoRequest::None;
    std::vector<std::string> names; // FILE [DECODER]
    tools::readOptionWords({argv + 1, argv + argc}, {tools::infoRows(request), [&names](const std::string& word) {
                                                         names.push_back(word);
                                                         return std::string();
                                                     }});
    if (request == tools::InfoRequest::Help) {
        printUsage(stdout);
        return 0;
    }
    if (request == tools::InfoRequest::Version) {
        std::printf("qzdecode 0.47\n");
        return 0;
    }
    if (names.empty() || names.size() > 2) {
        printUsage(stderr);
        return 1;
    }
    const std::string decoderName = names.size() == 2 ? names[1] : kDefaultDecoder;
    std::string error;
    const decoder_plugins::DecoderEntries* d = decoder_plugins::loadDecoder(decoderPath(decoderName), &error);
    if (!d) return fail(error);
    if (!d->open || !d->decode || !d->close) return fail(decoderName + " lacks dw_open, dw_decode or dw_close");
    return decodeFile(*d, names[0].c_str());
}

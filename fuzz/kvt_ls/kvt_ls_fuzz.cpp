// Feeds arbitrary byte streams to kvt-ls as if a client had sent them: the
// frame reader splits them, an initialized server answers every message.
// Nothing may leave the server, and every answer must be a JSON-RPC
// message it could send.
#include "framing.h"
#include "server.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A file in memory holding the stream, read back through the framing.
int streamOf(const uint8_t* data, size_t size)
{
    const int fd = memfd_create("kvt-ls-fuzz", 0);
    if (fd < 0) std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

void checkAnswer(const std::string& body)
{
    const nlohmann::json m = nlohmann::json::parse(body, nullptr, false);
    if (m.is_discarded() || !m.is_object() || m.value("jsonrpc", "") != "2.0") std::abort();
    if (!m.contains("method") && !m.contains("result") && !m.contains("error")) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kvtls::Server server;
    for (const std::string& out :
         server.handle(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})"))
        checkAnswer(out);
    const int fd = streamOf(data, size);
    kvtls::MessageReader reader(fd, size_t{1} << 20);
    std::string body;
    for (;;) {
        const kvtls::MessageReader::Result r = reader.next(body);
        if (r == kvtls::MessageReader::Result::End) break;
        if (r == kvtls::MessageReader::Result::BadFrame) body.clear();
        for (const std::string& out : server.handle(body)) checkAnswer(out);
        if (server.exited()) break;
    }
    close(fd);
    return 0;
}

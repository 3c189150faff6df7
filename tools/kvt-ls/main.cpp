// kvt-ls: the KVT language server, speaking the Language Server Protocol
// over standard input and output.
#include "framing.h"
#include "server.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr const char* kUsage = "Usage: kvt-ls [--stdio]\n"
                               "The KVT language server: an editor starts it and speaks the Language Server\n"
                               "Protocol with it over standard input and output.  Compile switches come from\n"
                               "the client's \"compileSwitches\" option or a .kvtrc file beside the score.\n";

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kvt-ls %s\n", KVT_LS_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        // Standard input and output are the only transport; some clients name it.
        if (std::strcmp(argv[i], "--stdio") != 0) {
            std::fprintf(stderr, "kvt-ls: unknown argument %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    // A client that goes away must end the loop, not the process by signal.
    std::signal(SIGPIPE, SIG_IGN);
    kvtls::MessageReader reader(STDIN_FILENO);
    kvtls::Server server;
    std::string body;
    for (;;) {
        const kvtls::MessageReader::Result r = reader.next(body);
        if (r == kvtls::MessageReader::Result::End) break;
        if (r == kvtls::MessageReader::Result::BadFrame) body.clear(); // answered as a parse error
        for (const std::string& out : server.handle(body))
            if (!kvtls::writeMessage(STDOUT_FILENO, out)) return 1;
        if (server.exited()) return server.exitStatus();
    }
    // The input closed without "exit".
    return 1;
}

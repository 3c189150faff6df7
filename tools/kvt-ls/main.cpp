// kvt-ls: the KVT language server, speaking the Language Server Protocol
// over standard input and output.
#include "framing.h"
#include "server.h"

#include <csignal>
#include <unistd.h>

int main()
{
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

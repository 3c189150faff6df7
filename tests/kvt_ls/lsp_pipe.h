// Drives a kvt-ls process through its standard input and output, the way an
// editor does: framed JSON-RPC messages both ways.
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace kvtls_test {

using Json = nlohmann::json;

class LspPipe {
public:
    // Starts the server program at `path`.
    explicit LspPipe(const std::string& path);
    ~LspPipe();
    LspPipe(const LspPipe&) = delete;
    LspPipe& operator=(const LspPipe&) = delete;

    void send(const Json& message);
    // Writes bytes as they stand (for malformed frames).
    void sendRaw(const std::string& bytes);
    // The next message, or nothing when none came within `timeoutMs` or
    // the server closed its output.
    std::optional<Json> receive(int timeoutMs = 5000);
    // Messages until one satisfies `wanted` (returned), skipping others.
    std::optional<Json> receiveUntil(const std::function<bool(const Json&)>& wanted, int timeoutMs = 5000);

    Json request(const std::string& method, const Json& params);
    void notify(const std::string& method, const Json& params);

    // Closes the server's input and waits for it: its exit status, or -1
    // when it was ended by a signal.
    int finish();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int in_ = -1;  // the server's standard input
    int out_ = -1; // the server's standard output
    int nextId_ = 1;
    std::string buffer_;
};

// The built kvt-ls.
std::string serverPath();

} // namespace kvtls_test

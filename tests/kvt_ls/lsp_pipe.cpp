#include "lsp_pipe.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace kvtls_test {

std::string serverPath() { return std::string(ZEM_BIN_DIR) + "/kvt-ls"; }

LspPipe::LspPipe(const std::string& path)
{
    std::signal(SIGPIPE, SIG_IGN);
    int toServer[2];
    int fromServer[2];
    if (pipe(toServer) != 0 || pipe(fromServer) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(toServer[0], STDIN_FILENO);
        dup2(fromServer[1], STDOUT_FILENO);
        close(toServer[0]);
        close(toServer[1]);
        close(fromServer[0]);
        close(fromServer[1]);
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toServer[0]);
    close(fromServer[1]);
    in_ = toServer[1];
    out_ = fromServer[0];
}

LspPipe::~LspPipe()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        finish();
    }
    if (out_ >= 0) close(out_);
}

void LspPipe::sendRaw(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(in_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

void LspPipe::send(const Json& message)
{
    const std::string body = message.dump();
    sendRaw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

std::optional<Json> LspPipe::receive(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const size_t headerEnd = buffer_.find("\r\n\r\n");
        if (headerEnd != std::string::npos) {
            const size_t at = buffer_.find("Content-Length:");
            const size_t length = std::stoul(buffer_.substr(at + 15, headerEnd - at - 15));
            if (buffer_.size() >= headerEnd + 4 + length) {
                Json message = Json::parse(buffer_.substr(headerEnd + 4, length));
                buffer_.erase(0, headerEnd + 4 + length);
                return message;
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char chunk[65536];
        const ssize_t n = read(out_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

std::optional<Json> LspPipe::receiveUntil(const std::function<bool(const Json&)>& wanted, int timeoutMs)
{
    for (;;) {
        std::optional<Json> m = receive(timeoutMs);
        if (!m || wanted(*m)) return m;
    }
}

Json LspPipe::request(const std::string& method, const Json& params)
{
    const int id = nextId_++;
    send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
    std::optional<Json> answer = receiveUntil([id](const Json& m) { return m.contains("id") && m["id"] == id; });
    return answer ? *answer : Json();
}

void LspPipe::notify(const std::string& method, const Json& params)
{
    send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

int LspPipe::finish()
{
    if (in_ >= 0) {
        close(in_);
        in_ = -1;
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace kvtls_test

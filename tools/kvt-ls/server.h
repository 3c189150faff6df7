// The language server's state and its answers: one JSON-RPC message in,
// the messages to send back out.  No input stops it: a message it cannot
// use gets the protocol's error answer (when it asked for one) and the
// server goes on.
#pragma once

#include "document.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kvtls {

// JSON-RPC and protocol error codes.
enum ErrorCode : int {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kInternalError = -32603,
    kServerNotInitialized = -32002,
};

class Server {
public:
    // Handles one message body and returns the bodies to send, in order.
    std::vector<std::string> handle(const std::string& body);

    // After the "exit" notification: whether to stop, and the exit status
    // (0 when "shutdown" came first).
    bool exited() const { return exited_; }
    int exitStatus() const { return shutdown_ ? 0 : 1; }

private:
    using Json = nlohmann::json;

    struct OpenScore {
        Document doc;
        uint16_t switches;
    };

    bool initialized_ = false;
    bool shutdown_ = false;
    bool exited_ = false;
    Encoding encoding_ = Encoding::Utf16;
    uint16_t defaultSwitches_ = 0;
    std::map<std::string, OpenScore> scores_;
    std::vector<std::string> out_;

    void send(const Json& message);
    void reply(const Json& id, Json result);
    void fail(const Json& id, int code, const std::string& message);

    void request(const Json& id, const std::string& method, const Json& params);
    void notification(const std::string& method, const Json& params);

    Json initialize(const Json& params);
    void open(const Json& params);
    void change(const Json& params);
    void close(const Json& params);
    void publish(const std::string& uri, const OpenScore& score, const Json& version);
    // The open score a request's params name, or null.
    const OpenScore* scoreOf(const Json& params) const;
};

} // namespace kvtls

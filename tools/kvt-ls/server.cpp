#include "server.h"

#include "answers.h"
#include "settings.h"

#include "util/uerr.h"

#include <new>

namespace kvtls {

using nlohmann::literals::operator""_json_pointer;

namespace {

Position positionOf(const nlohmann::json& p)
{
    const auto line = p.at("line").get<int64_t>();
    const auto character = p.at("character").get<int64_t>();
    auto clampUnsigned = [](int64_t v) { return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, UINT32_MAX)); };
    return {clampUnsigned(line), clampUnsigned(character)};
}

} // namespace

void Server::send(const Json& message) { out_.push_back(message.dump(-1, ' ', false, Json::error_handler_t::replace)); }

void Server::reply(const Json& id, Json result)
{
    send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::fail(const Json& id, int code, const std::string& message)
{
    send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

std::vector<std::string> Server::handle(const std::string& body)
{
    out_.clear();
    const Json message = Json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        fail(nullptr, kParseError, "the message is not JSON");
        return std::move(out_);
    }
    if (!message.is_object()) {
        fail(nullptr, kInvalidRequest, "a message is a JSON object");
        return std::move(out_);
    }
    const auto method = message.find("method");
    const auto id = message.find("id");
    const bool idUsable = id != message.end() && (id->is_number_integer() || id->is_string());
    if (method == message.end() || !method->is_string()) {
        // A response to a request of ours (we send none) needs no answer.
        if (id == message.end() || message.contains("result") || message.contains("error")) return std::move(out_);
        fail(idUsable ? *id : Json(nullptr), kInvalidRequest, "the message has no method");
        return std::move(out_);
    }
    if (id != message.end() && !idUsable) {
        fail(nullptr, kInvalidRequest, "a request id is a number or a string");
        return std::move(out_);
    }
    const auto params = message.find("params");
    const Json noParams = Json::object();
    const Json& p = params != message.end() ? *params : noParams;
    try {
        if (idUsable)
            request(*id, method->get<std::string>(), p);
        else
            notification(method->get<std::string>(), p);
    } catch (const Json::exception& e) {
        if (idUsable) fail(*id, kInvalidParams, e.what());
    } catch (const std::bad_alloc&) {
        if (idUsable) fail(*id, kInternalError, "out of memory");
    } catch (const util::UerrRaised& e) {
        if (idUsable) fail(*id, kInternalError, "compiler error " + std::to_string(e.code));
    }
    return std::move(out_);
}

void Server::request(const Json& id, const std::string& method, const Json& params)
{
    if (method == "initialize") {
        if (initialized_) return fail(id, kInvalidRequest, "initialize was already received");
        return reply(id, initialize(params));
    }
    if (!initialized_) return fail(id, kServerNotInitialized, "initialize comes first");
    if (shutdown_) return fail(id, kInvalidRequest, "the server is shutting down");
    if (method == "shutdown") {
        shutdown_ = true;
        return reply(id, nullptr);
    }
    using Answer = Json (*)(const Document&, const Json&);
    static const std::map<std::string, Answer> kAnswers = {
        {"textDocument/hover", [](const Document& d, const Json& p) { return hover(d, positionOf(p.at("position"))); }},
        {"textDocument/completion",
         [](const Document& d, const Json& p) { return completion(d, positionOf(p.at("position"))); }},
        {"textDocument/documentSymbol", [](const Document& d, const Json&) { return documentSymbols(d); }},
        {"textDocument/foldingRange", [](const Document& d, const Json&) { return foldingRanges(d); }},
        {"textDocument/semanticTokens/full", [](const Document& d, const Json&) { return semanticTokens(d); }},
        {"textDocument/semanticTokens/range",
         [](const Document& d, const Json& p) {
             const Json& r = p.at("range");
             return semanticTokens(d, true, positionOf(r.at("start")), positionOf(r.at("end")));
         }},
    };
    const auto answer = kAnswers.find(method);
    if (answer == kAnswers.end()) return fail(id, kMethodNotFound, "unknown method " + method);
    const OpenScore* score = scoreOf(params);
    if (score == nullptr) return fail(id, kInvalidParams, "the document is not open");
    reply(id, answer->second(score->doc, params));
}

void Server::notification(const std::string& method, const Json& params)
{
    if (method == "exit") {
        exited_ = true;
        return;
    }
    if (!initialized_ || shutdown_) return;
    if (method == "textDocument/didOpen") return open(params);
    if (method == "textDocument/didChange") return change(params);
    if (method == "textDocument/didClose") return close(params);
    // Other notifications ("initialized", "$/cancelRequest", ...) need nothing.
}

nlohmann::json Server::initialize(const Json& params)
{
    initialized_ = true;
    encoding_ = Encoding::Utf16;
    const Json offered = params.value("/capabilities/general/positionEncodings"_json_pointer, Json::array());
    if (offered.is_array())
        for (const Json& e : offered)
            if (e == "utf-8") encoding_ = Encoding::Utf8;
    if (params.contains("initializationOptions") && params["initializationOptions"].is_object()) {
        const Json& options = params["initializationOptions"];
        if (options.contains("compileSwitches"))
            defaultSwitches_ = switchesFromOption(options["compileSwitches"]).value_or(defaultSwitches_);
    }
    return {{"capabilities",
             {{"positionEncoding", encoding_ == Encoding::Utf8 ? "utf-8" : "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
              {"hoverProvider", true},
              {"completionProvider", {{"triggerCharacters", {"?", "$", "#", ","}}}},
              {"documentSymbolProvider", true},
              {"foldingRangeProvider", true},
              {"semanticTokensProvider", {{"legend", semanticTokensLegend()}, {"full", true}, {"range", true}}}}},
            {"serverInfo", {{"name", "kvt-ls"}, {"version", KVT_LS_VERSION}}}};
}

void Server::open(const Json& params)
{
    const Json& item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    const uint16_t switches = switchesBeside(uri).value_or(defaultSwitches_);
    scores_.erase(uri);
    auto [it, added] =
        scores_.emplace(uri, OpenScore{Document(item.at("text").get<std::string>(), encoding_), switches});
    publish(uri, it->second, item.value("version", Json(nullptr)));
}

void Server::change(const Json& params)
{
    const Json& item = params.at("textDocument");
    const auto it = scores_.find(item.at("uri").get<std::string>());
    if (it == scores_.end()) return;
    Document& doc = it->second.doc;
    for (const Json& c : params.at("contentChanges")) {
        std::string text = c.at("text").get<std::string>();
        if (c.contains("range")) {
            const Json& r = c["range"];
            doc.replace(positionOf(r.at("start")), positionOf(r.at("end")), text);
        } else {
            doc.replaceAll(std::move(text));
        }
    }
    publish(it->first, it->second, item.value("version", Json(nullptr)));
}

void Server::close(const Json& params)
{
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (scores_.erase(uri) == 0) return;
    send({{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", {{"uri", uri}, {"diagnostics", Json::array()}}}});
}

void Server::publish(const std::string& uri, const OpenScore& score, const Json& version)
{
    Json params = {{"uri", uri}, {"diagnostics", diagnostics(score.doc, score.switches)}};
    if (version.is_number_integer()) params["version"] = version;
    send({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", std::move(params)}});
}

const Server::OpenScore* Server::scoreOf(const Json& params) const
{
    const auto it = scores_.find(params.at("textDocument").at("uri").get<std::string>());
    return it == scores_.end() ? nullptr : &it->second;
}

} // namespace kvtls

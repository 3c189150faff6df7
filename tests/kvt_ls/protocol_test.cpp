// kvt-ls driven through its pipe as an editor drives it: start-up, open and
// change, every answer, malformed input, and the end of a session.
#include "lsp_pipe.h"
#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvtls_test {
namespace {

const char* const kUri = "file:///scores/song.kvt";

Json textDocument() { return {{"uri", kUri}}; }
std::string frame(const std::string& body)
{
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
Json at(unsigned line, unsigned character) { return {{"line", line}, {"character", character}}; }

class Session : public ::testing::Test {
protected:
    LspPipe server{serverPath()};

    Json initialize(const Json& capabilities = Json::object())
    {
        return server.request("initialize", {{"processId", nullptr}, {"capabilities", capabilities}});
    }
    // Opens (or replaces) the score and returns its diagnostics.
    Json open(const std::string& text, int timeoutMs = 5000)
    {
        server.notify("textDocument/didOpen",
                      {{"textDocument", {{"uri", kUri}, {"languageId", "kvt"}, {"version", 1}, {"text", text}}}});
        return diagnostics(timeoutMs);
    }
    Json diagnostics(int timeoutMs = 5000)
    {
        std::optional<Json> m = server.receiveUntil(
            [](const Json& j) { return j.value("method", "") == "textDocument/publishDiagnostics"; }, timeoutMs);
        return m ? (*m)["params"]["diagnostics"] : Json();
    }
    Json change(const Json& changes, int version)
    {
        server.notify("textDocument/didChange",
                      {{"textDocument", {{"uri", kUri}, {"version", version}}}, {"contentChanges", changes}});
        return diagnostics();
    }
    Json ask(const std::string& method, Json params = Json::object())
    {
        params["textDocument"] = textDocument();
        return server.request(method, params);
    }
};

Json range(unsigned l0, unsigned c0, unsigned l1, unsigned c1) { return {{"start", at(l0, c0)}, {"end", at(l1, c1)}}; }

// The diagnostic of a severity (1 error, 4 hint), or null.
Json ofSeverity(const Json& diagnostics, int severity)
{
    for (const Json& d : diagnostics)
        if (d["severity"] == severity) return d;
    return nullptr;
}

struct DiagnosticCase {
    const char* text;
    const char* message;
    Json range;
    const char* hint; // part of the hint's text; empty: no hint
    Json hintRange;   // null: the same range as the error
};

TEST_F(Session, DiagnosticsCarryTheCompilersMessageRangeAndHint)
{
    const Json init = initialize();
    ASSERT_EQ(init["result"]["capabilities"]["textDocumentSync"]["change"], 2);
    const DiagnosticCase cases[] = {
        {"#1 t120\nc4 d4 4 e", "Undefined command in 2.", range(1, 6, 1, 7), "cannot be split by a space", nullptr},
        {"c4 ,8", "Parameter too many in 1.", range(0, 3, 0, 4), "comma outside a command", nullptr},
        {"#1 c\n[3 d\ne", "Loop still open in 3.", range(2, 0, 2, 1), "never closed", range(1, 0, 1, 1)},
        {"c\n  v200 d", "Illegal parameter in 2.", range(1, 2, 1, 6), "Volume: 0..127", nullptr},
        {"c\n]", "Out of loop in 2.", range(1, 0, 1, 1), "no open repeat", nullptr},
        {"c&r", "Slur cannot continue in 1.", range(0, 2, 0, 3), "must lead into another note", nullptr},
        {"'ceg'4,8", "Illegal parameter in 1.", range(0, 0, 0, 5), "Chord:", nullptr},
        {"c\n\n  {01 02}", "Syntax error in 3.", range(2, 2, 2, 9), "", nullptr},
        {"/ only a remark", "Empty effective track.", range(0, 0, 0, 0), "", nullptr},
        // Columns count UTF-16 units: «é» is one, the emoji two.
        {";\xC3\xA9\nc \xC3\xA9", "Undefined command in 2.", range(1, 2, 1, 3),
         "\xC2\xAB\xC3\xA9\xC2\xBB is not a command", nullptr},
        {"c \xF0\x9F\x8E\xB5 d", "Undefined command in 1.", range(0, 2, 0, 4),
         "\xC2\xAB\xF0\x9F\x8E\xB5\xC2\xBB is not a command", nullptr},
    };
    for (const DiagnosticCase& k : cases) {
        SCOPED_TRACE(k.text);
        const Json d = open(k.text);
        ASSERT_TRUE(d.is_array());
        const Json error = ofSeverity(d, 1);
        ASSERT_FALSE(error.is_null()) << d.dump();
        EXPECT_EQ(error["message"], k.message);
        EXPECT_EQ(error["range"], k.range);
        EXPECT_EQ(d.back(), error) << "the compiler's message comes last";
        if (std::string(k.hint).empty()) {
            EXPECT_EQ(d.size(), 1u);
            continue;
        }
        ASSERT_EQ(d.size(), 2u);
        const Json hint = ofSeverity(d, 4);
        ASSERT_FALSE(hint.is_null()) << d.dump();
        EXPECT_NE(hint["message"].get<std::string>().find(k.hint), std::string::npos) << hint["message"];
        EXPECT_EQ(hint["range"], k.hintRange.is_null() ? k.range : k.hintRange);
    }
}

TEST_F(Session, Utf8PositionsWhenTheClientOffersThem)
{
    const Json init = initialize({{"general", {{"positionEncodings", {"utf-8", "utf-16"}}}}});
    EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-8");
    EXPECT_EQ(ofSeverity(open(";\xC3\xA9\nc \xC3\xA9"), 1)["range"], range(1, 2, 1, 4));
}

TEST_F(Session, IncrementalAndFullChangesRecheckTheScore)
{
    initialize();
    EXPECT_EQ(open("#1 l8\n[4 c d e f\n").size(), 2u);
    // Close the loop on line 2, then break a note, then replace everything.
    EXPECT_EQ(change({{{"range", range(1, 9, 1, 9)}, {"text", " ]"}}}, 2), Json::array());
    const Json broken = change({{{"range", range(1, 5, 1, 6)}, {"text", "d1 6"}}}, 3);
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_EQ(ofSeverity(broken, 1)["message"], "Undefined command in 2.");
    EXPECT_EQ(ofSeverity(broken, 1)["range"], range(1, 8, 1, 9));
    // Ranges beyond the text are clamped, not refused.
    EXPECT_EQ(
        change({{{"range", range(1, 5, 1, 9)}, {"text", ""}}, {{"range", range(90, 0, 99, 9)}, {"text", " g"}}}, 4),
        Json::array());
    EXPECT_EQ(ofSeverity(change({{{"text", "c ,"}}}, 5), 1)["message"], "Parameter too many in 1.");
}

TEST_F(Session, HoverCompletionSymbolsFoldingAndTokens)
{
    initialize();
    open("?3\"Song\"\n#1,3-4 t120 l8\n[2 v100 c e\n  [3 g ] $4,1\n]\n#2 c\n#");

    const Json hover = ask("textDocument/hover", {{"position", at(2, 3)}})["result"];
    EXPECT_NE(hover["contents"]["value"].get<std::string>().find("**Volume**"), std::string::npos);
    EXPECT_EQ(hover["range"], range(2, 3, 2, 4));
    EXPECT_EQ(ask("textDocument/hover", {{"position", at(1, 6)}})["result"], nullptr) << "a blank has no command";

    struct CompletionCase {
        Json position;
        const char* label;
        const char* detail; // part of it
    };
    const CompletionCase completions[] = {
        {at(0, 1), "3", "title"}, {at(3, 11), "4", "General MIDI"}, {at(6, 1), "4", "track in use"},
        {at(2, 0), "t", "Tempo"}, {at(2, 0), "c", "Note"},
    };
    for (const CompletionCase& k : completions) {
        const Json items = ask("textDocument/completion", {{"position", k.position}})["result"];
        bool found = false;
        for (const Json& item : items)
            found = found ||
                    (item["label"] == k.label && item["detail"].get<std::string>().find(k.detail) != std::string::npos);
        EXPECT_TRUE(found) << k.label << " " << k.detail << " in " << items.dump();
    }
    const Json tracks = ask("textDocument/completion", {{"position", at(6, 1)}})["result"];
    EXPECT_EQ(tracks.size(), 4u) << "tracks 1, 2, 3 and 4: " << tracks.dump();

    const Json symbols = ask("textDocument/documentSymbol")["result"];
    ASSERT_EQ(symbols.size(), 4u) << symbols.dump();
    EXPECT_EQ(symbols[0]["name"], "Track #0");
    EXPECT_EQ(symbols[1]["name"], "Track #1,3-4");
    EXPECT_EQ(symbols[1]["range"], range(1, 0, 4, 1));
    ASSERT_EQ(symbols[1]["children"].size(), 1u);
    EXPECT_EQ(symbols[1]["children"][0]["name"], "Loop [2");
    EXPECT_EQ(symbols[1]["children"][0]["range"], range(2, 0, 4, 1));
    EXPECT_EQ(symbols[1]["children"][0]["children"][0]["name"], "Loop [3");
    EXPECT_EQ(symbols[2]["name"], "Track #2");

    const Json folds = ask("textDocument/foldingRange")["result"];
    const Json loopFold = {{"startLine", 2}, {"endLine", 4}};
    EXPECT_NE(std::find(folds.begin(), folds.end(), loopFold), folds.end()) << folds.dump();

    // Line 3 «  [3 g ] $4,1»: keyword «[», number 3, note g, keyword «]», keyword «$», numbers.
    const Json part = ask("textDocument/semanticTokens/range", {{"range", range(3, 0, 3, 99)}})["result"]["data"];
    const std::vector<int> expected = {3, 2, 1, 0, 0, 0, 1, 1, 3, 0, 0, 2, 1, 1, 0, 0, 2, 1, 0, 0,
                                       0, 2, 1, 0, 0, 0, 1, 1, 3, 0, 0, 1, 1, 7, 0, 0, 1, 1, 3, 0};
    EXPECT_EQ(part.get<std::vector<int>>(), expected);
    const Json full = ask("textDocument/semanticTokens/full")["result"]["data"];
    EXPECT_EQ(full.size() % 5, 0u);
    EXPECT_GT(full.size(), part.size());
    // The quoted title is one string token after «?» and its number.
    EXPECT_EQ((std::vector<int>(full.begin() + 10, full.begin() + 15)), (std::vector<int>{0, 1, 6, 5, 0}));
}

struct MalformedCase {
    const char* name;
    std::string bytes; // sent as they stand
    int code;          // the error answered; 0: no answer
    Json id;
};

TEST_F(Session, MalformedInputIsAnsweredAndTheServerKeepsServing)
{
    initialize();
    open("c d e");
    const MalformedCase cases[] = {
        {"not JSON", frame("{{{{{"), -32700, nullptr},
        {"invalid UTF-8", frame("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"x\xff\"}"), -32700, nullptr},
        {"lone surrogate", frame("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"\\udc80\"}"), -32700, nullptr},
        {"unreadable length", "Content-Length: many\r\n\r\n", -32700, nullptr},
        {"no length", "Content-Type: x\r\n\r\n", -32700, nullptr},
        {"an array", frame("[1,2]"), -32600, nullptr},
        {"object id", frame(R"({"jsonrpc":"2.0","id":{},"method":"shutdown"})"), -32600, nullptr},
        {"no method", frame(R"({"jsonrpc":"2.0","id":6})"), -32600, 6},
        {"unknown method", frame(R"({"jsonrpc":"2.0","id":7,"method":"textDocument/teleport"})"), -32601, 7},
        {"missing position",
         frame(R"({"jsonrpc":"2.0","id":8,"method":"textDocument/hover","params":{"textDocument":{"uri":")" +
               std::string(kUri) + R"("}}})"),
         -32602, 8},
        {"wrong types",
         frame(R"({"jsonrpc":"2.0","id":9,"method":"textDocument/hover","params":{"textDocument":{"uri":")" +
               std::string(kUri) + R"("},"position":{"line":"one","character":[]}}})"),
         -32602, 9},
        {"document not open",
         frame(
             R"({"jsonrpc":"2.0","id":10,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///x"},"position":{"line":0,"character":0}}})"),
         -32602, 10},
        {"second initialize", frame(R"({"jsonrpc":"2.0","id":11,"method":"initialize","params":{}})"), -32600, 11},
        {"unknown notification", frame(R"({"jsonrpc":"2.0","method":"$/somethingElse"})"), 0, nullptr},
        {"change of a closed document",
         frame(
             R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"file:///x"},"contentChanges":[]}})"),
         0, nullptr},
        {"broken notification", frame(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":7})"), 0, nullptr},
    };
    for (const MalformedCase& k : cases) {
        SCOPED_TRACE(k.name);
        server.sendRaw(k.bytes);
        if (k.code != 0) {
            const std::optional<Json> answer = server.receive();
            ASSERT_TRUE(answer.has_value());
            EXPECT_EQ((*answer)["error"]["code"], k.code) << answer->dump();
            EXPECT_EQ((*answer)["id"], k.id);
        }
        // Still serving, and nothing else was sent in between.
        const Json hover = ask("textDocument/hover", {{"position", at(0, 2)}});
        EXPECT_NE(hover["result"]["contents"]["value"].get<std::string>().find("Note"), std::string::npos)
            << hover.dump();
    }
    // Positions far outside the text are clamped.
    for (const Json& p : {at(0, 4000000000u), Json{{"line", -3}, {"character", -1}}, at(4000000000u, 0)})
        EXPECT_TRUE(ask("textDocument/hover", {{"position", p}}).contains("result")) << p.dump();
}

TEST_F(Session, AFiftyMegabyteScoreIsCheckedAndServed)
{
    initialize();
    // Mostly remarks, which the compiler skips quickly: the size is the
    // point, and the test stays fast under the sanitizers.
    std::string text = "l16 o4 cdefgab>c<bagfedc\n";
    const std::string remark = "/ a remark that makes the score large, line after line\n";
    while (text.size() < (size_t{50} << 20)) text += remark;
    text += "v300\n";
    // Framed by hand: the text holds nothing that JSON escapes but line feeds.
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    server.sendRaw(frame(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":")" +
                         std::string(kUri) + R"(","languageId":"kvt","version":1,"text":")" + escaped + "\"}}}"));
    const Json d = diagnostics(90000);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(ofSeverity(d, 1)["message"],
              "Illegal parameter in " + std::to_string(std::count(text.begin(), text.end(), '\n')) + ".");
    EXPECT_TRUE(ask("textDocument/semanticTokens/full")["result"]["data"].empty()) << "too large to colour";
    EXPECT_TRUE(ask("textDocument/hover", {{"position", at(3, 1)}}).contains("result"));
}

struct SwitchesCase {
    const char* name;
    Json option;       // initializationOptions.compileSwitches; null: none
    const char* kvtrc; // the .kvtrc beside the score; null: none
    bool lineCompiled; // whether «\1 v999» (a mistake behind switch 1) is checked
};

TEST(CompileSwitches, ComeFromTheOptionOrTheKvtrcBesideTheScore)
{
    const SwitchesCase cases[] = {
        {"none", nullptr, nullptr, false},
        {"option number", 1, nullptr, true},
        {"option text in hex", "&3", nullptr, true},
        {"option without switch 1", "2", nullptr, false},
        {"kvtrc", nullptr, "# switches for this folder\n.11\n", true},
        {"kvtrc wins over the option", 1, "0\n", false},
        {"unreadable kvtrc keeps the option", 1, "many\n", true},
    };
    for (const SwitchesCase& k : cases) {
        SCOPED_TRACE(k.name);
        zem_test::TempDir dir;
        if (k.kvtrc != nullptr) dir.write(".kvtrc", k.kvtrc);
        const std::string uri = "file://" + dir.path() + "/song.kvt";
        LspPipe server(serverPath());
        Json init = {{"capabilities", Json::object()}};
        if (!k.option.is_null()) init["initializationOptions"] = {{"compileSwitches", k.option}};
        server.request("initialize", init);
        server.notify(
            "textDocument/didOpen",
            {{"textDocument", {{"uri", uri}, {"languageId", "kvt"}, {"version", 1}, {"text", "c\n\\1 v999"}}}});
        const std::optional<Json> d = server.receive();
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ((*d)["params"]["diagnostics"].empty(), !k.lineCompiled) << d->dump();
    }
}

struct CommandLineCase {
    std::vector<std::string> args;
    int status;
    const char* out; // part of standard output
    const char* err; // part of standard error
};

TEST(CommandLine, VersionHelpAndUnknownArguments)
{
    const CommandLineCase cases[] = {
        {{"--version"}, 0, "kvt-ls 0.47", ""},
        {{"--help"}, 0, "Usage: kvt-ls", ""},
        {{"--stdio"}, 1, "", ""}, // input closed at once, without "exit"
        {{"-x"}, 2, "", "unknown argument -x"},
    };
    zem_test::TempDir dir;
    for (const CommandLineCase& k : cases) {
        const zem_test::RunResult r = zem_test::runProgram("kvt-ls", k.args, dir.path());
        EXPECT_EQ(r.status, k.status) << k.args[0];
        EXPECT_NE(r.out.find(k.out), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(k.err), std::string::npos) << r.err;
    }
}

TEST_F(Session, RequestsBeforeInitializeAreRefused)
{
    const Json answer = ask("textDocument/hover", {{"position", at(0, 0)}});
    EXPECT_EQ(answer["error"]["code"], -32002);
    EXPECT_EQ(initialize()["result"]["serverInfo"]["name"], "kvt-ls");
}

TEST_F(Session, ShutdownThenExitEndsCleanlyAndExitAloneDoesNot)
{
    initialize();
    EXPECT_EQ(server.request("shutdown", nullptr)["result"], nullptr);
    EXPECT_EQ(ask("textDocument/hover", {{"position", at(0, 0)}})["error"]["code"], -32600);
    server.notify("exit", nullptr);
    EXPECT_EQ(server.finish(), 0);

    LspPipe other(serverPath());
    other.request("initialize", {{"capabilities", Json::object()}});
    other.notify("exit", nullptr);
    EXPECT_EQ(other.finish(), 1);
}

} // namespace
} // namespace kvtls_test

// How long kvt-ls takes to publish diagnostics after an edit of a
// 5,000-line, 16-track score, measured through its pipe as an editor sees
// it, and how much memory the server holds for that score.
// Budget: p95 at most 50 ms over 200 edits, peak memory at most 50 MB.
#include "lsp_pipe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using kvtls_test::Json;

constexpr int kLines = 5000;
constexpr int kTracks = 16;
constexpr int kEdits = 200;

const char* const kBars[] = {
    "[2 c8 d e f g a b >c< ]",   "'ceg'4 'dfa'4 (c g)4 r4",  "v100,4,80 c4&d4 e8 f8 g4",
    "l16 cdefgab>c<bagfedc",     "y64,127 c2 y64,0 r2",      "o5 c4. d8 e4 f4 o4",
    "u90 q80 c8 ~ d8 _ e4 q100", "k-200 c4 k0 d4 p40 e4 f4", "[3 e8 g8 | >c8< ] r4",
};

std::vector<std::string> scoreLines()
{
    std::vector<std::string> lines;
    const int perTrack = kLines / kTracks;
    for (int t = 0; t < kTracks; ++t) {
        lines.push_back("#" + std::to_string(t + 1) + " :" + std::to_string(t) + " @" + std::to_string(t + 1) +
                        " t120 l8 / part " + std::to_string(t + 1));
        for (int i = 1; i < perTrack; ++i) lines.push_back(kBars[(t + i) % std::size(kBars)]);
    }
    while (lines.size() < kLines) lines.push_back(kBars[lines.size() % std::size(kBars)]);
    return lines;
}

Json position(size_t line, size_t character) { return {{"line", line}, {"character", character}}; }

long peakKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = -1;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> value;
            return value;
        }
        status.ignore(256, '\n');
    }
    return value;
}

} // namespace

int main()
{
    const std::vector<std::string> lines = scoreLines();
    std::string text;
    for (const std::string& l : lines) text += l + "\n";

    kvtls_test::LspPipe server(kvtls_test::serverPath());
    server.request("initialize", {{"capabilities", Json::object()}});
    server.notify("initialized", Json::object());
    const std::string uri = "file:///bench/score.kvt";
    server.notify("textDocument/didOpen",
                  {{"textDocument", {{"uri", uri}, {"languageId", "kvt"}, {"version", 1}, {"text", text}}}});
    auto isDiagnostics = [](const Json& m) { return m.value("method", "") == "textDocument/publishDiagnostics"; };
    const std::optional<Json> first = server.receiveUntil(isDiagnostics);
    if (!first || !(*first)["params"]["diagnostics"].empty()) {
        std::fprintf(stderr, "the score should compile cleanly: %s\n", first ? first->dump().c_str() : "no answer");
        return 1;
    }

    // Edits as a musician makes them: change a note, type a mistake, take
    // it back.  Every other edit leaves an error in place.
    std::mt19937 rng(7);
    std::vector<double> ms;
    int errors = 0;
    size_t brokenLine = 0;
    for (int version = 2; version < kEdits + 2; ++version) {
        Json change;
        if (version % 2 == 0) {
            brokenLine = 1 + rng() % (lines.size() - 1);
            change = {{"range", {{"start", position(brokenLine, 0)}, {"end", position(brokenLine, 0)}}},
                      {"text", "c4 9 "}};
        } else {
            change = {{"range", {{"start", position(brokenLine, 0)}, {"end", position(brokenLine, 5)}}}, {"text", ""}};
        }
        const auto start = std::chrono::steady_clock::now();
        server.notify("textDocument/didChange",
                      {{"textDocument", {{"uri", uri}, {"version", version}}}, {"contentChanges", {change}}});
        const std::optional<Json> d = server.receiveUntil(isDiagnostics);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!d) {
            std::fprintf(stderr, "no diagnostics after edit %d\n", version);
            return 1;
        }
        errors += (*d)["params"]["diagnostics"].empty() ? 0 : 1;
    }
    const long peak = peakKilobytes(server.pid());
    server.request("shutdown", nullptr);
    server.notify("exit", nullptr);
    server.finish();

    std::sort(ms.begin(), ms.end());
    const double p50 = ms[ms.size() / 2];
    const double p95 = ms[ms.size() * 95 / 100];
    std::printf("score: %zu lines, %d tracks, %zu bytes; %d edits, %d left an error\n", lines.size(), kTracks,
                text.size(), kEdits, errors);
    std::printf("diagnostics after an edit: p50 %.2f ms, p95 %.2f ms, max %.2f ms (budget p95 50 ms)\n", p50, p95,
                ms.back());
    std::printf("server peak memory: %.1f MB (budget 50 MB)\n", static_cast<double>(peak) / 1024.0);
    if (errors != kEdits / 2) {
        std::fprintf(stderr, "every other edit should leave an error\n");
        return 1;
    }
    return p95 <= 50.0 && peak >= 0 && peak <= 50 * 1024 ? 0 : 1;
}

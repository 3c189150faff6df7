#include "example_performance.h"

#include "kvt/compile_job.h"
#include "zemplay.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace examples_test {

namespace fs = std::filesystem;

namespace {

std::string textOf(dp_player* player, int (*op)(dp_player*, char*, size_t))
{
    char buffer[300] = {};
    op(player, buffer, sizeof buffer);
    return buffer;
}

} // namespace

std::vector<std::string> exampleScores()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(ZEM_SOURCE_DIR) / "examples")) {
        if (entry.is_regular_file() && entry.path().extension() == ".kvt")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string examplePath(const std::string& name) { return (fs::path(ZEM_SOURCE_DIR) / "examples" / name).string(); }

Compiled compileScore(const std::string& path)
{
    Compiled out;
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const kvt::CompileRequest request{
        reinterpret_cast<const uint8_t*>(text.data()),
        static_cast<uint32_t>(text.size()),
        path.c_str(),
        0,
        [](void* user, const char* message, const char*) { *static_cast<std::string*>(user) = message ? message : ""; },
        &out.message};
    out.result = kvt::compileToMemory(request, out.image);
    return out;
}

Performance perform(const std::vector<uint8_t>& image, uint32_t leaveAtPass, uint32_t limitMs)
{
    zemtest::RecordingHost host;
    host.leaveLoopAtPass = leaveAtPass;
    host.errorAnswer = 1; // any answer but 0 stops playback at the first error
    const dp_options options = host.options();
    Performance perf;
    dp_player* player =
        dp_const(DP_MAX_PORTS, image.data(), image.size(), &options, sizeof options, &host, &perf.constError);
    if (player == nullptr) return perf;

    perf.trackCount = player->track_count(player);
    perf.title = textOf(player, player->title_text);
    perf.notice = textOf(player, player->notice_text);
    uint32_t ms = 0;
    while (ms < limitMs && host.errors.empty()) {
        player->advance_units(player, 1, DP_NORMAL_SPEED);
        if (player->finished(player)) {
            perf.finished = true;
            break;
        }
        ++ms;
    }
    perf.endMs = ms;
    player->close(player);
    perf.events = std::move(host.events);
    perf.errors = std::move(host.errors);
    perf.loopPasses = std::move(host.loopPasses);
    return perf;
}

} // namespace examples_test

#include "example_performance.h"

#include "compile_job.h"
#include "zemplay.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace examples_test {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kNormalSpeed = 0x10000;

struct Host {
    Performance perf;
    uint32_t ms = 0;
    uint32_t leaveAtPass = 1;
    uint8_t exclusive[256] = {};

    void add(EventKind kind, int track, int channel, int number, int value)
    {
        Event e;
        e.ms = ms;
        e.kind = kind;
        e.track = track;
        e.channel = channel;
        e.number = number;
        e.value = value;
        perf.events.push_back(std::move(e));
    }
};

Host& host(void* user) { return *static_cast<Host*>(user); }

dp_options hostOptions()
{
    dp_options o{};
    o.error = [](void* u, uint32_t offset, int code) {
        host(u).perf.errors.push_back({host(u).ms, offset, code});
        return code;
    };
    o.note_on = [](void* u, int, int track, int channel, int key, int velocity) {
        host(u).add(EventKind::NoteOn, track, channel, key, velocity);
        return 0;
    };
    o.note_off = [](void* u, int, int track, int channel, int key, int velocity) {
        host(u).add(EventKind::NoteOff, track, channel, key, velocity);
        return 0;
    };
    o.control_change = [](void* u, int, int track, int channel, int controller, int value) {
        host(u).add(EventKind::Control, track, channel, controller, value);
        return 0;
    };
    o.program_change = [](void* u, int, int track, int channel, int program) {
        host(u).add(EventKind::Program, track, channel, program, 0);
        return 0;
    };
    o.pitch_bend = [](void* u, int, int track, int channel, int value) {
        host(u).add(EventKind::Bend, track, channel, 0, value);
        return 0;
    };
    o.key_pressure = [](void* u, int, int track, int channel, int key, int value) {
        host(u).add(EventKind::KeyPressure, track, channel, key, value);
        return 0;
    };
    o.channel_pressure = [](void* u, int, int track, int channel, int value) {
        host(u).add(EventKind::ChannelPressure, track, channel, 0, value);
        return 0;
    };
    o.exclusive_buffer = [](void* u, int, int, int count) -> uint8_t* {
        return count >= 0 && count <= 256 ? host(u).exclusive : nullptr;
    };
    o.exclusive_send = [](void* u, int, int track, int count) {
        Host& h = host(u);
        h.add(EventKind::Exclusive, track, 0, 0, count);
        h.perf.events.back().bytes.assign(h.exclusive, h.exclusive + std::clamp(count, 0, 256));
        return 0;
    };
    o.text = [](void* u, int track, const char* text, int count) {
        Host& h = host(u);
        h.add(EventKind::Text, track, 0, 0, count);
        h.perf.events.back().bytes.assign(text, text + std::max(count, 0));
        return 0;
    };
    o.tempo_changed = [](void* u, int, uint32_t period) {
        host(u).add(EventKind::Tempo, 0, 0, 0, static_cast<int>(period));
        return 0;
    };
    o.endless_loop_pass = [](void* u, int track, uint32_t pass) {
        Host& h = host(u);
        h.perf.loopPasses.push_back({h.ms, track, pass});
        return pass >= h.leaveAtPass ? 1 : 0;
    };
    return o;
}

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
    Host h;
    h.leaveAtPass = leaveAtPass;
    const dp_options options = hostOptions();
    int error = -1;
    dp_player* player = dp_const(DP_MAX_PORTS, image.data(), image.size(), &options, sizeof options, &h, &error);
    h.perf.constError = error;
    if (player == nullptr) return std::move(h.perf);

    h.perf.trackCount = player->track_count(player);
    h.perf.title = textOf(player, player->title_text);
    h.perf.notice = textOf(player, player->notice_text);
    while (h.ms < limitMs && h.perf.errors.empty()) {
        player->advance_units(player, 1, kNormalSpeed);
        if (player->finished(player)) {
            h.perf.finished = true;
            break;
        }
        ++h.ms;
    }
    h.perf.endMs = h.ms;
    player->close(player);
    return std::move(h.perf);
}

} // namespace examples_test

#include "recording_host.h"

#include <cstdio>
#include <sstream>

namespace zemtest {

namespace {

RecordingHost& self(void* user) { return *static_cast<RecordingHost*>(user); }

std::string join(std::initializer_list<long long> values)
{
    std::ostringstream out;
    bool first = true;
    for (long long v : values) {
        out << (first ? "" : " ") << v;
        first = false;
    }
    return out.str();
}

std::string hex(const uint8_t* bytes, int count)
{
    std::string s;
    char buf[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        s += (i ? " " : "");
        s += buf;
    }
    return s;
}

std::string eventName(const std::string& line)
{
    size_t a = line.find(' ');
    size_t b = line.find(' ', a + 1);
    return line.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
}

} // namespace

RecordingHost::RecordingHost() = default;

int RecordingHost::record(const char* kind, const std::string& details)
{
    log.push_back(std::to_string(unit) + "/" + std::to_string(tick) + " " + kind + (details.empty() ? "" : " ") +
                  details);
    int count = ++counts[kind];
    auto it = answers.find(kind);
    if (it == answers.end()) return 0;
    auto answer = it->second.find(count);
    return answer == it->second.end() ? 0 : answer->second;
}

std::vector<std::string> RecordingHost::only(std::initializer_list<const char*> names) const
{
    std::vector<std::string> out;
    for (const auto& line : log)
        for (const char* n : names)
            if (eventName(line) == n) out.push_back(line);
    return out;
}

std::vector<std::string> RecordingHost::onlyUnstamped(std::initializer_list<const char*> names) const
{
    std::vector<std::string> out;
    for (const auto& line : only(names)) out.push_back(line.substr(line.find(' ') + 1));
    return out;
}

std::vector<std::string> RecordingHost::byTick(std::initializer_list<const char*> names) const
{
    std::vector<std::string> out;
    for (const auto& line : only(names)) out.push_back(line.substr(line.find('/') + 1));
    return out;
}

dp_options RecordingHost::options() const
{
    dp_options o{};
    if (hasErrorCallback)
        o.error = [](void* u, uint32_t offset, int code) {
            self(u).errors.emplace_back(offset, code);
            self(u).record("error", join({offset, code}));
            return self(u).errorAnswer;
        };
    o.unit_passed = [](void* u, uint32_t n) {
        self(u).unit = n;
        return self(u).logUnits ? self(u).record("unit", std::to_string(n)) : 0;
    };
    o.tick_passed = [](void* u, uint32_t n) {
        self(u).tick = n;
        return self(u).logTicks ? self(u).record("tick", std::to_string(n)) : 0;
    };
    o.note_off = [](void* u, int p, int t, int c, int k, int v) {
        return self(u).record("off", join({p, t, c, k, v}));
    };
    o.note_on = [](void* u, int p, int t, int c, int k, int v) { return self(u).record("on", join({p, t, c, k, v})); };
    o.key_pressure = [](void* u, int p, int t, int c, int k, int v) {
        return self(u).record("keyp", join({p, t, c, k, v}));
    };
    o.control_change = [](void* u, int p, int t, int c, int n, int v) {
        return self(u).record("ctrl", join({p, t, c, n, v}));
    };
    o.program_change = [](void* u, int p, int t, int c, int n) { return self(u).record("prog", join({p, t, c, n})); };
    o.channel_pressure = [](void* u, int p, int t, int c, int v) {
        return self(u).record("chanp", join({p, t, c, v}));
    };
    o.pitch_bend = [](void* u, int p, int t, int c, int v) { return self(u).record("bend", join({p, t, c, v})); };
    o.exclusive_buffer = [](void* u, int, int, int count) {
        return count <= static_cast<int>(sizeof self(u).exclusive) ? self(u).exclusive : nullptr;
    };
    o.exclusive_send = [](void* u, int p, int t, int count) {
        return self(u).record("sysex", join({p, t}) + " " + hex(self(u).exclusive, count));
    };
    o.text = [](void* u, int t, const char* s, int n) {
        return self(u).record("text", std::to_string(t) + " " + std::string(s, static_cast<size_t>(n)));
    };
    o.tempo_changed = [](void* u, int zero, uint32_t period) { return self(u).record("tempo", join({zero, period})); };
    o.meta_event = [](void* u, int t, int type, const uint8_t* p, int n) {
        return self(u).record("meta", join({t, type}) + " [" +
                                          std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n)) + "]");
    };
    if (hasLoopCallback)
        o.endless_loop_pass = [](void* u, int t, uint32_t pass) {
            self(u).record("loop", join({t, pass}));
            return self(u).leaveLoopAtPass != 0 && pass >= self(u).leaveLoopAtPass ? 1 : 0;
        };
    if (hasSyncCallback)
        o.stream_sync = [](void* u, int slot, int wanted) {
            self(u).record("sync", join({slot, wanted}));
            return self(u).syncAnswer;
        };
    return o;
}

Session::Session(RecordingHost& host, const ImagePlan& plan, int ports) : image(buildImage(plan))
{
    dp_options o = host.options();
    player_ = dp_const(ports, image.data(), image.size(), &o, sizeof o, &host, &error);
}

Session::~Session()
{
    if (player_) player_->close(player_);
}

} // namespace zemtest

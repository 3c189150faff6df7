#include "recording_host.h"

#include <cstdio>
#include <iterator>
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

std::string hex(const std::vector<uint8_t>& bytes)
{
    std::string s;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        s += (i ? " " : "");
        s += buf;
    }
    return s;
}

// How each kind of event reads in the log.
struct EventForm {
    EventKind kind;
    const char* name;
    std::string (*details)(const Event&);
};

std::string keyed(const Event& e) { return join({e.port, e.track, e.channel, e.number, e.value}); }
std::string numbered(const Event& e) { return join({e.port, e.track, e.channel, e.number}); }
std::string valued(const Event& e) { return join({e.port, e.track, e.channel, e.value}); }
std::string exclusive(const Event& e) { return join({e.port, e.track}) + " " + hex(e.bytes); }
std::string text(const Event& e) { return std::to_string(e.track) + " " + std::string(e.bytes.begin(), e.bytes.end()); }
// A tempo change keeps the callback's first argument (always 0) as its number.
std::string tempo(const Event& e) { return join({e.number, e.value}); }

constexpr EventForm kEventForms[] = {
    {EventKind::NoteOn, "on", keyed},        {EventKind::NoteOff, "off", keyed},
    {EventKind::KeyPressure, "keyp", keyed}, {EventKind::Control, "ctrl", keyed},
    {EventKind::Program, "prog", numbered},  {EventKind::ChannelPressure, "chanp", valued},
    {EventKind::Bend, "bend", valued},       {EventKind::Exclusive, "sysex", exclusive},
    {EventKind::Text, "text", text},         {EventKind::Tempo, "tempo", tempo},
};

constexpr bool isInKindOrder()
{
    for (size_t i = 0; i < std::size(kEventForms); ++i)
        if (kEventForms[i].kind != static_cast<EventKind>(i)) return false;
    return true;
}
static_assert(std::size(kEventForms) == static_cast<size_t>(EventKind::Tempo) + 1 && isInKindOrder());

int message(void* user, EventKind kind, int port, int track, int channel, int number, int value,
            std::vector<uint8_t> bytes = {})
{
    RecordingHost& host = self(user);
    return host.record(Event{host.unit, kind, port, track, channel, number, value, std::move(bytes)});
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
    int count = ++counts_[kind];
    auto it = answers.find(kind);
    if (it == answers.end()) return 0;
    auto answer = it->second.find(count);
    return answer == it->second.end() ? 0 : answer->second;
}

int RecordingHost::record(Event event)
{
    const EventForm& form = kEventForms[static_cast<size_t>(event.kind)];
    const std::string details = form.details(event);
    events.push_back(std::move(event));
    return record(form.name, details);
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
            self(u).errors.push_back({self(u).unit, offset, code});
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
        return message(u, EventKind::NoteOff, p, t, c, k, v);
    };
    o.note_on = [](void* u, int p, int t, int c, int k, int v) { return message(u, EventKind::NoteOn, p, t, c, k, v); };
    o.key_pressure = [](void* u, int p, int t, int c, int k, int v) {
        return message(u, EventKind::KeyPressure, p, t, c, k, v);
    };
    o.control_change = [](void* u, int p, int t, int c, int n, int v) {
        return message(u, EventKind::Control, p, t, c, n, v);
    };
    o.program_change = [](void* u, int p, int t, int c, int n) {
        return message(u, EventKind::Program, p, t, c, n, 0);
    };
    o.channel_pressure = [](void* u, int p, int t, int c, int v) {
        return message(u, EventKind::ChannelPressure, p, t, c, 0, v);
    };
    o.pitch_bend = [](void* u, int p, int t, int c, int v) { return message(u, EventKind::Bend, p, t, c, 0, v); };
    o.exclusive_buffer = [](void* u, int, int, int count) {
        return count >= 0 && count <= static_cast<int>(sizeof self(u).exclusive) ? self(u).exclusive : nullptr;
    };
    o.exclusive_send = [](void* u, int p, int t, int count) {
        const uint8_t* bytes = self(u).exclusive;
        return message(u, EventKind::Exclusive, p, t, 0, 0, count, {bytes, bytes + count});
    };
    o.text = [](void* u, int t, const char* s, int n) {
        return message(u, EventKind::Text, 0, t, 0, 0, n, {s, s + n});
    };
    o.tempo_changed = [](void* u, int zero, uint32_t period) {
        return message(u, EventKind::Tempo, 0, 0, 0, zero, static_cast<int>(period));
    };
    o.meta_event = [](void* u, int t, int type, const uint8_t* p, int n) {
        return self(u).record("meta", join({t, type}) + " [" +
                                          std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n)) + "]");
    };
    if (hasLoopCallback)
        o.endless_loop_pass = [](void* u, int t, uint32_t pass) {
            self(u).loopPasses.push_back({self(u).unit, t, pass});
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

Session::Session(RecordingHost& host, const ImagePlan& plan, int ports) : Session(host, host.options(), plan, ports) {}

Session::Session(RecordingHost& host, const dp_options& options, const ImagePlan& plan, int ports)
    : image(buildImage(plan))
{
    dp_options o = options;
    player_ = dp_const(ports, image.data(), image.size(), &o, sizeof o, &host, &error);
}

void Session::close()
{
    if (player_) player_->close(player_);
    player_ = nullptr;
}

Session::~Session() { close(); }

} // namespace zemtest

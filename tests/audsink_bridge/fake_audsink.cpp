#include "fake_audsink.h"

#include <cstdio>

namespace bridge_test {

namespace {

FakeAudsink* current = nullptr;
uint32_t currentVersion = 0;

FakeAudsink& self(ds8* d) { return *reinterpret_cast<FakeAudsink*>(d); }
FakeStream& stream(ds8_stream* s) { return *reinterpret_cast<FakeStream*>(s); }
// Sounds are handed out as addresses inside the fake: 0x1000 + n.
std::string soundName(ds8_sound* s) { return "sound" + std::to_string(reinterpret_cast<uintptr_t>(s) - 0x1000); }

void log(const std::string& call) { current->calls.push_back(call); }
std::string n(long long v) { return std::to_string(v); }
std::string f(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(v));
    return text;
}
std::string st(ds8_stream* s) { return "stream" + n(stream(s).index); }
// A setter's line, and the answer the test chose.
int32_t set(const std::string& call, long long value) { return log(call + " " + n(value)), current->result; }

void settle(FakeStream& x)
{
    if (!x.pending) return;
    if (x.queriesBeforeSettle > 0) {
        --x.queriesBeforeSettle;
        return;
    }
    x.open = !x.openFails;
    x.pending = false;
}

} // namespace

FakeAudsink::FakeAudsink()
{
    for (int i = 0; i < 16; ++i) streams[size_t(i)].index = i;
    table.destroy = [](ds8*) { log("destroy"); };
    table.close_device = [](ds8*) { log("close_device"); };
    table.pause_all = [](ds8*, int pause) { log("pause_all " + n(pause)); };
    table.open_device = [](ds8*, const char* name, int channels, int bits, int rate, void* window, int level) {
        log("open_device " + std::string(name) + " " + n(channels) + " " + n(bits) + " " + n(rate) + " " +
            (window ? "window" : "none") + " " + n(level));
        return current->deviceResult;
    };
    table.sound_load = [](ds8*, const char* file, const char* decoder, intptr_t a, intptr_t b) {
        log("sound_load " + std::string(file) + " " + decoder + " " + n(a) + " " + n(b));
        return reinterpret_cast<ds8_sound*>(uintptr_t(0x1001));
    };
    table.sound_duplicate = [](ds8_sound* s) {
        log("sound_duplicate " + soundName(s));
        return reinterpret_cast<ds8_sound*>(uintptr_t(0x1002));
    };
    table.sound_free = [](ds8_sound* s) { log("sound_free " + soundName(s)); };
    table.sound_play = [](ds8_sound* s, uint32_t flags) {
        log("sound_play " + soundName(s) + " " + n(flags));
        return current->result;
    };
    table.sound_stop = [](ds8_sound* s) { log("sound_stop " + soundName(s)); };
    table.sound_level = [](ds8_sound* s, int32_t v) { return set("sound_level " + soundName(s), v); };
    table.sound_pan = [](ds8_sound* s, int32_t v) { return set("sound_pan " + soundName(s), v); };
    table.sound_pitch = [](ds8_sound* s, int32_t v) { return set("sound_pitch " + soundName(s), v); };
    table.sound_position = [](ds8_sound* s, int32_t v) { return set("sound_position " + soundName(s), v); };
    table.sound_status = [](ds8_sound* s) { return log("sound_status " + soundName(s)), uint32_t(DS8_STATUS_PLAYING); };
    table.stream_create = [](ds8* d, uint32_t tick) {
        FakeAudsink& a = self(d);
        const int index = a.created++;
        log("stream_create " + n(tick));
        return index == a.failStreamAt ? nullptr : reinterpret_cast<ds8_stream*>(&a.streams[size_t(index)]);
    };
    table.stream_destroy = [](ds8_stream* s) { log("stream_destroy " + st(s)); };
    table.stream_request_open = [](ds8_stream* s, const char* file, const char* decoder, uint32_t ms, intptr_t a,
                                   intptr_t b) {
        log("stream_request_open " + st(s) + " " + file + " " + decoder + " " + n(ms) + " " + n(a) + " " + n(b));
        stream(s).pending = true;
    };
    table.stream_request_close = [](ds8_stream* s) {
        log("stream_request_close " + st(s));
        stream(s).open = stream(s).pending = false;
    };
    table.stream_play = [](ds8_stream* s) { log("stream_play " + st(s)); };
    table.stream_stop = [](ds8_stream* s) { log("stream_stop " + st(s)); };
    table.stream_level = [](ds8_stream* s, int32_t v) { return set("stream_level " + st(s), v); };
    table.stream_pan = [](ds8_stream* s, int32_t v) { return set("stream_pan " + st(s), v); };
    table.stream_pitch = [](ds8_stream* s, int32_t v) { return set("stream_pitch " + st(s), v); };
    table.stream_is_open = [](ds8_stream* s) {
        settle(stream(s));
        return stream(s).open && !stream(s).pending ? 1 : 0;
    };
    table.stream_is_stopped = [](ds8_stream* s) {
        settle(stream(s));
        return stream(s).pending ? 0 : 1;
    };
    table.stream_set_position = [](ds8_stream* s, uint32_t lo, uint32_t hi) {
        return log("stream_set_position " + st(s) + " " + n(lo) + " " + n(hi)), int32_t(0);
    };
    table.stream_set_position_seconds = [](ds8_stream* s, float v) {
        return log("stream_set_position_seconds " + st(s) + " " + f(v)), int32_t(0);
    };
    table.stream_set_end = [](ds8_stream* s, uint32_t lo, uint32_t hi) {
        return log("stream_set_end " + st(s) + " " + n(lo) + " " + n(hi)), int32_t(0);
    };
    table.stream_set_end_seconds = [](ds8_stream* s, float v) {
        return log("stream_set_end_seconds " + st(s) + " " + f(v)), int32_t(0);
    };
    table.stream_set_loop = [](ds8_stream* s, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return log("stream_set_loop " + st(s) + " " + n(a) + " " + n(b) + " " + n(c) + " " + n(d)), int32_t(0);
    };
    table.stream_set_loop_seconds = [](ds8_stream* s, float a, float b) {
        return log("stream_set_loop_seconds " + st(s) + " " + f(a) + " " + f(b)), int32_t(0);
    };
}

audsink_bridge::AudsinkEntries fakeEntries(FakeAudsink* fake, uint32_t version)
{
    current = fake;
    currentVersion = version;
    audsink_bridge::AudsinkEntries entries;
    entries.version = [] { return currentVersion; };
    entries.construct = [](void*, void* (*)(void*, size_t), void (*)(void*, void*)) -> ds8* {
        return current ? &current->table : nullptr;
    };
    return entries;
}

} // namespace bridge_test

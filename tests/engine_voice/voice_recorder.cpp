#include "voice_recorder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zemtest {

namespace {

const char* const kVoiceEvents[] = {"load",     "free",    "start", "stop",  "volume", "pan",   "pitch",   "dup",
                                    "position", "playing", "open",  "close", "play",   "sstop", "svolume", "span",
                                    "spitch",   "spos",    "sposs", "send",  "sends",  "sloop", "sloops"};

VoiceRecorder& self(void* u) { return static_cast<VoiceRecorder&>(*static_cast<RecordingHost*>(u)); }

std::string num(long long v) { return std::to_string(v); }

std::string real(float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(v));
    return buf;
}

// The handle a callback names must be one the host gave out and has not
// freed yet.
std::string used(VoiceRecorder& r, uintptr_t h)
{
    if (!r.liveHandles.count(h)) ++r.staleHandleUses;
    return num(static_cast<long long>(h));
}

uintptr_t newHandle(VoiceRecorder& r)
{
    uintptr_t h = r.nextHandle++;
    r.liveHandles.insert(h);
    return h;
}

} // namespace

dp_options VoiceRecorder::allOptions() const
{
    dp_options o = options();
    o.allocate = [](void* u, size_t bytes) {
        void* block = std::calloc(1, bytes);
        if (block) self(u).liveBlocks.insert(block);
        return block;
    };
    o.free = [](void* u, void* block) {
        self(u).liveBlocks.erase(block);
        std::free(block);
    };
    o.load_sample = [](void* u, int instrument, const char* name, uint32_t p1, uint32_t p2) -> uintptr_t {
        VoiceRecorder& r = self(u);
        uintptr_t h = r.loadFails ? 0 : newHandle(r);
        r.record("load", num(instrument) + " " + name + " " + num(p1) + " " + num(p2) + " -> " +
                             num(static_cast<long long>(h)));
        return h;
    };
    o.free_sample = [](void* u, uintptr_t h) {
        std::string name = used(self(u), h);
        self(u).liveHandles.erase(h);
        self(u).record("free", name);
    };
    o.start_voice = [](void* u, uintptr_t h, int loop) { self(u).record("start", used(self(u), h) + " " + num(loop)); };
    o.stop_voice = [](void* u, uintptr_t h) { self(u).record("stop", used(self(u), h)); };
    o.voice_volume = [](void* u, uintptr_t h, int v) {
        return self(u).record("volume", used(self(u), h) + " " + num(v));
    };
    o.voice_pan = [](void* u, uintptr_t h, int v) { return self(u).record("pan", used(self(u), h) + " " + num(v)); };
    o.voice_pitch = [](void* u, uintptr_t h, int v) {
        return self(u).record("pitch", used(self(u), h) + " " + num(v));
    };
    o.duplicate_sample = [](void* u, uintptr_t h) -> uintptr_t {
        std::string original = used(self(u), h);
        uintptr_t d = newHandle(self(u));
        self(u).record("dup", original + " -> " + num(static_cast<long long>(d)));
        return d;
    };
    o.voice_start_position = [](void* u, uintptr_t h, int f) {
        self(u).record("position", used(self(u), h) + " " + num(f));
    };
    if (hasPlayingCallback)
        o.voice_playing = [](void* u, uintptr_t h) {
            self(u).record("playing", used(self(u), h));
            return self(u).playingAnswer;
        };
    // The sync callback answers through `answers["sync"]` (0 when unlisted).
    if (hasSyncCallback)
        o.stream_sync = [](void* u, int s, int wanted) { return self(u).record("sync", num(s) + " " + num(wanted)); };
    o.stream_open = [](void* u, int s, const char* name, uint32_t p1, uint32_t p2) {
        self(u).record("open", num(s) + " " + name + " " + num(p1) + " " + num(p2));
    };
    o.stream_close = [](void* u, int s) { self(u).record("close", num(s)); };
    o.stream_play = [](void* u, int s) { return self(u).record("play", num(s)); };
    o.stream_stop = [](void* u, int s) { self(u).record("sstop", num(s)); };
    o.stream_volume = [](void* u, int s, int v) { return self(u).record("svolume", num(s) + " " + num(v)); };
    o.stream_pan = [](void* u, int s, int v) { return self(u).record("span", num(s) + " " + num(v)); };
    o.stream_pitch = [](void* u, int s, int v) { return self(u).record("spitch", num(s) + " " + num(v)); };
    o.stream_position = [](void* u, int s, uint32_t lo, uint32_t hi) {
        self(u).record("spos", num(s) + " " + num(lo) + " " + num(hi));
    };
    o.stream_position_seconds = [](void* u, int s, float t) { self(u).record("sposs", num(s) + " " + real(t)); };
    o.stream_loop_end = [](void* u, int s, uint32_t lo, uint32_t hi) {
        self(u).record("send", num(s) + " " + num(lo) + " " + num(hi));
    };
    o.stream_loop_end_seconds = [](void* u, int s, float t) { self(u).record("sends", num(s) + " " + real(t)); };
    o.stream_loop = [](void* u, int s, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        self(u).record("sloop", num(s) + " " + num(a) + " " + num(b) + " " + num(c) + " " + num(d));
    };
    o.stream_loop_seconds = [](void* u, int s, float a, float b) {
        self(u).record("sloops", num(s) + " " + real(a) + " " + real(b));
    };
    return o;
}

std::vector<std::string> VoiceRecorder::voiceLog() const
{
    std::vector<std::string> out;
    for (const auto& line : log) {
        std::string rest = line.substr(line.find(' ') + 1);
        std::string name = rest.substr(0, rest.find(' '));
        for (const char* e : kVoiceEvents)
            if (name == e) out.push_back(rest);
    }
    return out;
}

std::vector<std::string> VoiceRecorder::takeVoiceLog()
{
    std::vector<std::string> lines = voiceLog();
    log.clear();
    return lines;
}

} // namespace zemtest

// Any bytes as an image: construct, play a bounded number of units with an
// error callback that lets playback go on, poke every query, close.  The
// callbacks read every buffer the engine hands out, so that a bad pointer or
// length shows up under the sanitizers.  Sample handles are counted: every
// handle the voice layer was given must be freed by the time it closes.
//
// Each input may play kSongUnits of song time in all, and a voice pool of at
// most kLargestPool bytes (a larger one is refused, as a host may); the
// instance's own block is kept mapped from one input to the next.  So the
// fuzzer runs well over a thousand inputs a second.
#include "zemplay.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kSongUnits = 24;
constexpr size_t kLargestPool = 64 * 1024;
constexpr size_t kInstanceRoom = 2 * 1024 * 1024;

// The instance is the first block an input asks for, the voice pool any later one.
struct Blocks {
    std::vector<uint8_t> instance = std::vector<uint8_t>(kInstanceRoom);
    bool instanceLent = false;

    void* allocate(size_t bytes)
    {
        if (!instanceLent) {
            if (bytes > kInstanceRoom) return nullptr;
            instanceLent = true;
            return instance.data();
        }
        return bytes <= kLargestPool ? std::calloc(1, bytes) : nullptr;
    }
    void free(void* block)
    {
        if (block == instance.data())
            instanceLent = false;
        else
            std::free(block);
    }
};

Blocks& blocks()
{
    static Blocks b;
    return b;
}

struct Host {
    uint8_t exclusive[256];
    uint32_t checksum = 0;
    uint32_t events = 0;
    uintptr_t nextHandle = 1;
    long liveHandles = 0;
    uint32_t unitsLeft = kSongUnits;
};

Host& host(void* u) { return *static_cast<Host*>(u); }

void touch(void* u, const void* p, int n)
{
    const auto* b = static_cast<const uint8_t*>(p);
    for (int i = 0; i < n; ++i) host(u).checksum += b[i];
    ++host(u).events;
}

int channelEvent(void* u, int, int, int, int, int)
{
    ++host(u).events;
    return 0;
}

uintptr_t newHandle(void* u)
{
    ++host(u).liveHandles;
    return host(u).nextHandle++;
}

void touchText(void* u, const char* name) { touch(u, name, static_cast<int>(std::strlen(name))); }

void addVoiceAndStreamCallbacks(dp_options& o)
{
    o.load_sample = [](void* u, int, const char* name, uint32_t, uint32_t) -> uintptr_t {
        touchText(u, name);
        return newHandle(u);
    };
    o.free_sample = [](void* u, uintptr_t handle) {
        if (handle == 0 || handle >= host(u).nextHandle) {
            std::fprintf(stderr, "engine_image: freed a handle it was never given\n");
            std::abort();
        }
        --host(u).liveHandles;
    };
    o.duplicate_sample = [](void* u, uintptr_t) { return newHandle(u); };
    o.start_voice = [](void* u, uintptr_t, int) { ++host(u).events; };
    o.stop_voice = [](void* u, uintptr_t) { ++host(u).events; };
    o.voice_volume = [](void* u, uintptr_t, int) { return static_cast<int>(++host(u).events & 1); };
    o.voice_pan = [](void*, uintptr_t, int) { return 0; };
    o.voice_pitch = [](void*, uintptr_t, int) { return 0; };
    o.voice_start_position = [](void* u, uintptr_t, int) { ++host(u).events; };
    o.voice_playing = [](void* u, uintptr_t) { return static_cast<int>(host(u).events & 1); };
    o.stream_open = [](void* u, int, const char* name, uint32_t, uint32_t) { touchText(u, name); };
    o.stream_close = [](void* u, int) { ++host(u).events; };
    o.stream_play = [](void*, int) { return 0; };
    o.stream_stop = [](void* u, int) { ++host(u).events; };
    o.stream_volume = [](void*, int, int) { return 0; };
    o.stream_pan = [](void*, int, int) { return 0; };
    o.stream_pitch = [](void*, int, int) { return 0; };
    // Some waits end at once, some only later: both paths are taken.
    o.stream_sync = [](void* u, int, int) { return static_cast<int>(++host(u).events % 3 == 0 ? 0 : 1); };
    o.stream_position = [](void* u, int, uint32_t, uint32_t) { ++host(u).events; };
    o.stream_position_seconds = [](void* u, int, float) { ++host(u).events; };
    o.stream_loop_end = [](void* u, int, uint32_t, uint32_t) { ++host(u).events; };
    o.stream_loop_end_seconds = [](void* u, int, float) { ++host(u).events; };
    o.stream_loop = [](void* u, int, uint32_t, uint32_t, uint32_t, uint32_t) { ++host(u).events; };
    o.stream_loop_seconds = [](void* u, int, float, float) { ++host(u).events; };
}

dp_options makeOptions()
{
    dp_options o{};
    o.error = [](void*, uint32_t, int) { return 0; };
    o.allocate = [](void*, size_t bytes) { return blocks().allocate(bytes); };
    o.free = [](void*, void* block) { blocks().free(block); };
    // Past its share of song time the instance stops (any nonzero answer).
    o.unit_passed = [](void* u, uint32_t) {
        if (host(u).unitsLeft == 0) return 1;
        --host(u).unitsLeft;
        return 0;
    };
    o.note_off = channelEvent;
    o.note_on = channelEvent;
    o.key_pressure = channelEvent;
    o.control_change = channelEvent;
    o.program_change = [](void* u, int, int, int, int) { return channelEvent(u, 0, 0, 0, 0, 0); };
    o.channel_pressure = [](void* u, int, int, int, int) { return channelEvent(u, 0, 0, 0, 0, 0); };
    o.pitch_bend = [](void* u, int, int, int, int) { return channelEvent(u, 0, 0, 0, 0, 0); };
    o.exclusive_buffer = [](void* u, int, int, int n) -> uint8_t* {
        return n <= static_cast<int>(sizeof host(u).exclusive) ? host(u).exclusive : nullptr;
    };
    o.exclusive_send = [](void* u, int, int, int n) {
        touch(u, host(u).exclusive, n);
        return 0;
    };
    o.text = [](void* u, int, const char* s, int n) {
        touch(u, s, n + 1); // the NUL after the text too
        return 0;
    };
    o.meta_event = [](void* u, int, int, const uint8_t* p, int n) {
        touch(u, p, n);
        return 0;
    };
    // Leave endless loops after a few passes, as the exporter can.
    o.endless_loop_pass = [](void*, int, uint32_t pass) { return pass > 3 ? 1 : 0; };
    addVoiceAndStreamCallbacks(o);
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Host h;
    dp_options o = makeOptions();
    int error = 0;
    int ports = size > 0 ? (data[0] & 15) + 1 : 1;
    dp_player* p = dp_const(ports, data, size, &o, sizeof o, &h, &error);
    if (!p) return 0;
    for (int step = 0; step < 4 && !p->finished(p); ++step) p->advance_units(p, 4, DP_NORMAL_SPEED);
    p->advance_ticks(p, 4, DP_NORMAL_SPEED);
    char text[8];
    p->title_text(p, text, sizeof text);
    p->notice_text(p, text, sizeof text);
    p->meta190_text(p, text, sizeof text);
    p->meta191_text(p, text, sizeof text);
    uint8_t bar[DP_BAR_COUNTER_SIZE];
    p->bar_counter(p, bar, sizeof bar);
    p->resend_controller(p, 0, DP_ALL_PORTS, DP_ALL_CHANNELS, 7);
    p->resend_key_pressure(p, 0, 0xFFFF, 0x0001, 60);
    p->resend_program(p, 0, 0x0001, 0xFFFF);
    p->resend_pitch_bend(p, 0, 0x0001, 0xFFFF);
    p->resend_channel_pressure(p, 0, 0x0001, 0xFFFF);
    p->release_notes(p, DP_ALL_PORTS, DP_ALL_CHANNELS);
    p->reset(p);
    h.unitsLeft = 4;
    p->advance_units(p, 4, DP_NORMAL_SPEED);
    p->close(p);
    if (h.liveHandles != 0) {
        std::fprintf(stderr, "engine_image: %ld sample handles left unfreed\n", h.liveHandles);
        std::abort();
    }
    return 0;
}

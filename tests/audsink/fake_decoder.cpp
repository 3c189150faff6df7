// A decoder plug-in for tests.  The "file name" describes the decoding:
//   "ch=2,bytes=2,rate=44100,frames=1000,flags=30,version=1,
//    total=4000,chunk=100,gap=2,fail=1,texts=2"
// total: bytes the decoder has in all (default frames x block); chunk: most
// bytes per call; gap: calls that deliver nothing (without ending) after
// each delivery; fail: dw_open refuses; sleep: dw_open first waits that
// many milliseconds, as on a slow file system.  Byte i of the PCM is patternByte(i).
// Every call is logged; the log is read through fake_log.
//
// Compile-time choices make variants: FAKE_VERSION (dw_version's answer;
// undefined = no dw_version), FAKE_MINIMAL (only open, decode, close),
// FAKE_ENUM (a native dw_enumpcmtext), FAKE_OLD_CSET (dw_pcmtextcs instead
// of dw_pcmtextcset).
#include "fake_decoder_log.h"
#include "qzdecoder.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex logLock;
std::string logText;

void log(const std::string& line)
{
    std::lock_guard guard(logLock);
    logText += line;
    logText += '\n';
}

struct Plan {
    uint32_t channels = 2, bytes = 2, rate = 44100, frames = 1000, flags = 30, version = 1;
    uint64_t total = UINT64_MAX, chunk = UINT64_MAX;
    uint32_t gap = 0, fail = 0, texts = 2, sleep = 0;
};

Plan parse(const char* file)
{
    Plan s;
    std::string text = file ? file : "";
    if (auto slash = text.rfind('/'); slash != std::string::npos) text = text.substr(slash + 1);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(at, end - at);
        const size_t eq = item.find('=');
        if (eq != std::string::npos) {
            const std::string key = item.substr(0, eq);
            const uint64_t v = std::strtoull(item.c_str() + eq + 1, nullptr, 10);
            if (key == "ch") s.channels = uint32_t(v);
            if (key == "bytes") s.bytes = uint32_t(v);
            if (key == "rate") s.rate = uint32_t(v);
            if (key == "frames") s.frames = uint32_t(v);
            if (key == "flags") s.flags = uint32_t(v);
            if (key == "version") s.version = uint32_t(v);
            if (key == "total") s.total = v;
            if (key == "chunk") s.chunk = v;
            if (key == "gap") s.gap = uint32_t(v);
            if (key == "fail") s.fail = uint32_t(v);
            if (key == "texts") s.texts = uint32_t(v);
            if (key == "sleep") s.sleep = uint32_t(v);
        }
        at = end + 1;
    }
    if (s.total == UINT64_MAX) s.total = uint64_t{s.frames} * s.channels * s.bytes;
    return s;
}

struct State {
    uint8_t record[DW_RECORD_SIZE];
    Plan plan;
    uint64_t offset = 0; // next byte delivered
    uint64_t end = 0;    // bytes in all, or the end point
    uint64_t loopStart = 0, loopEnd = 0;
    uint32_t gapLeft = 0;
    uint32_t block() const { return plan.channels * plan.bytes; }
};

std::string textOf(intptr_t which, int part)
{
    static const char* const kParts[] = {"text", "lang", "cset"};
    return std::string(kParts[part]) + std::to_string(which);
}

size_t copyText(const std::string& text, char* buffer, size_t capacity)
{
    if (buffer && capacity > 0) std::memcpy(buffer, text.data(), std::min(capacity, text.size()));
    return text.size();
}

} // namespace

FAKE_EXPORT const char* fake_log()
{
    static std::string copy;
    std::lock_guard guard(logLock);
    copy = logText;
    logText.clear();
    return copy.c_str();
}

#ifdef FAKE_VERSION
FAKE_EXPORT uint32_t dw_version() { return FAKE_VERSION; }
#endif

FAKE_EXPORT uint8_t* dw_open(const dw_host* host, intptr_t mode, const char* file, intptr_t pcm, intptr_t extra)
{
    const Plan plan = parse(file);
    log("open " + std::to_string(mode) + " " + std::to_string(pcm) + " " + std::to_string(extra));
    if (plan.sleep) std::this_thread::sleep_for(std::chrono::milliseconds(plan.sleep));
    if (plan.fail) return nullptr;
    void* block = host->alloc(host, sizeof(State));
    if (!block) return nullptr;
    auto* s = new (block) State();
    s->plan = plan;
    s->end = plan.total;
    dw_format f{uint8_t(plan.channels), uint8_t(plan.bytes), uint8_t(plan.flags),
                uint8_t(plan.version),  plan.rate,           plan.frames};
    dw_format_write(s->record, &f);
    // A record of another version carries junk past its first 12 bytes.
    if (plan.version != 1) std::memset(s->record + 12, 0xEE, DW_RECORD_SIZE - 12);
    return s->record;
}

FAKE_EXPORT size_t dw_decode(const dw_host*, uint8_t* handle, void* buffer, size_t length)
{
    auto* s = reinterpret_cast<State*>(handle);
    if (!buffer || length == 0) {
        log("decode null");
        return 0;
    }
    if (s->gapLeft > 0) {
        --s->gapLeft;
        log("decode " + std::to_string(length) + " gap");
        return 0;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    const size_t most = size_t(std::min<uint64_t>(length, s->plan.chunk)) / s->block() * s->block();
    while (done < most) {
        if (s->loopEnd > s->loopStart && s->offset >= s->loopEnd * s->block()) s->offset = s->loopStart * s->block();
        const uint64_t stop = s->loopEnd > s->loopStart ? std::min(s->end, s->loopEnd * s->block()) : s->end;
        if (s->offset >= stop) break;
        const size_t n = size_t(std::min<uint64_t>(most - done, stop - s->offset));
        for (size_t i = 0; i < n; ++i) out[done + i] = fakePatternByte(s->offset + i);
        done += n;
        s->offset += n;
    }
    if (done > 0) s->gapLeft = s->plan.gap;
    log("decode " + std::to_string(length) + " " + std::to_string(done));
    return done;
}

FAKE_EXPORT void dw_close(const dw_host* host, uint8_t* handle)
{
    log("close");
    auto* s = reinterpret_cast<State*>(handle);
    s->~State();
    host->free(host, s);
}

#ifndef FAKE_MINIMAL
FAKE_EXPORT int dw_isend(const dw_host*, uint8_t* handle)
{
    auto* s = reinterpret_cast<State*>(handle);
    const bool end = s->gapLeft == 0 && s->offset >= s->end && !(s->loopEnd > s->loopStart);
    log(std::string("isend ") + (end ? "1" : "0"));
    return end;
}

FAKE_EXPORT void dw_switch(const dw_host*, uint8_t*, intptr_t value) { log("switch " + std::to_string(value)); }

FAKE_EXPORT int dw_setpos(const dw_host*, uint8_t* handle, uint32_t low, uint32_t high)
{
    auto* s = reinterpret_cast<State*>(handle);
    const uint64_t frame = uint64_t{high} << 32 | low;
    log("setpos " + std::to_string(frame));
    s->offset = frame * s->block();
    return 0;
}

FAKE_EXPORT uint64_t dw_getpos(const dw_host*, uint8_t* handle)
{
    auto* s = reinterpret_cast<State*>(handle);
    return s->offset / s->block();
}

FAKE_EXPORT int dw_setend(const dw_host*, uint8_t* handle, uint32_t low, uint32_t high)
{
    auto* s = reinterpret_cast<State*>(handle);
    const uint64_t frame = uint64_t{high} << 32 | low;
    log("setend " + std::to_string(frame));
    s->end = frame == 0 ? s->plan.total : std::min(s->plan.total, frame * s->block());
    return 0;
}

FAKE_EXPORT int dw_setloop(const dw_host*, uint8_t* handle, uint32_t sl, uint32_t sh, uint32_t el, uint32_t eh)
{
    auto* s = reinterpret_cast<State*>(handle);
    s->loopStart = uint64_t{sh} << 32 | sl;
    s->loopEnd = uint64_t{eh} << 32 | el;
    log("setloop " + std::to_string(s->loopStart) + " " + std::to_string(s->loopEnd));
    return 0;
}

FAKE_EXPORT const char* dw_credit() { return "fake decoder for tests"; }

FAKE_EXPORT intptr_t dw_pcmcount(const dw_host*, const char*) { return 3; }

FAKE_EXPORT intptr_t dw_pcmtextcount(const dw_host*, const char* file, intptr_t) { return parse(file).texts; }

FAKE_EXPORT size_t dw_pcmtext(const dw_host*, const char*, intptr_t, intptr_t which, char* buffer, size_t capacity)
{
    return copyText(textOf(which, 0), buffer, capacity);
}

FAKE_EXPORT size_t dw_pcmtextlang(const dw_host*, const char*, intptr_t, intptr_t which, char* buffer, size_t capacity)
{
    return copyText(textOf(which, 1), buffer, capacity);
}

#ifdef FAKE_OLD_CSET
FAKE_EXPORT size_t dw_pcmtextcs(const dw_host*, const char*, intptr_t, intptr_t which, char* buffer, size_t capacity)
#else
FAKE_EXPORT size_t dw_pcmtextcset(const dw_host*, const char*, intptr_t, intptr_t which, char* buffer, size_t capacity)
#endif
{
    return copyText(textOf(which, 2), buffer, capacity);
}

#ifdef FAKE_ENUM
FAKE_EXPORT void dw_enumpcmtext(const dw_host*, const char* file, intptr_t, intptr_t which, dw_relay relay,
                                void* context)
{
    log("enum");
    const intptr_t count = which < 0 ? 1 : intptr_t(parse(file).texts);
    for (intptr_t i = 0; i < count; ++i) {
        const intptr_t w = which < 0 ? which : i;
        if (!relay(context, ("native" + std::to_string(w)).c_str(), nullptr, "utf-8")) return;
    }
}
#endif
#endif

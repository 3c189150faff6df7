// Decoder plug-ins: the host table handed to them and one loaded library
// with its entries.
#pragma once

#include "qzdecoder.h"

#include "platform/dynload.h"

#include <cstdint>

namespace audsink {

struct Instance;

// The nine host entries over the creator's utility table; the table is the
// first member so that every entry finds its instance from the table
// pointer it receives.
struct HostTable {
    dw_host table;
    Instance* instance;
};

void fillHostTable(HostTable& host, Instance& instance);

// dw_version's answer: a zero top byte and at most our own version.
bool isAcceptedDecoderVersion(uint32_t version);

struct Decoder {
    platform::DynamicLibrary library;
    dw_open_fn open = nullptr;
    dw_decode_fn decode = nullptr;
    dw_isend_fn isEnd = nullptr;
    dw_close_fn close = nullptr;
    dw_switch_fn switchTo = nullptr;
    dw_setpos_fn setPosition = nullptr;
    dw_getpos_fn getPosition = nullptr;
    dw_setend_fn setEnd = nullptr;
    dw_setloop_fn setLoop = nullptr;

    bool isLoaded() const { return library.isLoaded(); }
    // Typed look-up of any other entry.
    template <typename Function> Function entry(const char* name) { return library.entry<Function>(name); }
};

// Loads a decoder by name and checks its version; the entries stay null
// until resolveEntries.  False (nothing loaded) for a null or empty name,
// a library that cannot be loaded, lacks dw_version or is too new.
bool loadDecoder(Instance& instance, const char* name, Decoder& decoder);
// Resolves the decoding entries; false when open, decode or close (and
// isend, when needed) is missing.
bool resolveEntries(Decoder& decoder, bool needIsEnd);
void unloadDecoder(Instance& instance, Decoder& decoder);

// A decoder loaded for the length of one operation.
class ScopedDecoder {
public:
    ScopedDecoder(Instance& instance, const char* name) : instance_(instance) { loadDecoder(instance, name, decoder_); }
    ~ScopedDecoder() { unloadDecoder(instance_, decoder_); }
    ScopedDecoder(const ScopedDecoder&) = delete;
    ScopedDecoder& operator=(const ScopedDecoder&) = delete;

    Decoder& operator*() { return decoder_; }
    Decoder* operator->() { return &decoder_; }

private:
    Instance& instance_;
    Decoder decoder_;
};

} // namespace audsink

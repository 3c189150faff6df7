// Decoder plug-ins: the host table handed to them and the entries of one
// decoder in use.
#pragma once

#include "audsink.h"
#include "qzdecoder.h"

#include "decoder_plugins/decoder_module.h"

#include <cstdint>

namespace audsink {

// The nine host entries over the creator's utility table; the table is the
// first member so that every entry finds the utility table and its user
// value from the table pointer it receives.
struct HostTable {
    dw_host table;
    const ds8_utility* utility;
    void* user;
};

// utility must outlive host (both live in the instance block).
void fillHostTable(HostTable& host, const ds8_utility& utility, void* user);

// A decoder in use: the entries of a loaded plug-in (null while none is) and
// the decoding entries copied from it by resolveEntries.
struct Decoder : decoder_plugins::DecodingEntries {
    const decoder_plugins::DecoderEntries* module = nullptr;

    bool isLoaded() const { return module != nullptr; }
};

// The entries of the decoder named `name`; null for a null or empty name, a
// decoder not found or not accepted.
const decoder_plugins::DecoderEntries* findDecoder(const char* name);
// Takes the decoder named `name` (loaded once per process, see
// decoder_module.h); the entries stay null until resolveEntries.  False for
// a null or empty name, a decoder not found or not accepted.
bool loadDecoder(const char* name, Decoder& decoder);
// Copies the decoding entries; false when open, decode or close (and isend,
// when needed) is missing.
bool resolveEntries(Decoder& decoder, bool needIsEnd);
// Forgets the entries; the plug-in itself stays loaded.
void releaseDecoder(Decoder& decoder);

} // namespace audsink

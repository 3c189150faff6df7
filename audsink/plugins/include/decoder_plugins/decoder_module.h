// Decoder plug-ins as every host finds and loads them.
//
// A decoder is loaded only from an absolute path: a bare file name is looked
// for in the running program's folder, then in the installed plug-in folder
// (when the build names one), and never through the system's library search,
// which would also search the current folder.  A loaded decoder stays loaded
// until the process ends: unloading it takes its codec libraries with it,
// and every reload of those leaks inside them.
#pragma once

#include "qzdecoder.h"

#include <cstdint>
#include <string>

namespace decoder_plugins {

// The file a decoder name stands for: an absolute name as given; a name
// without "/" in the folders above, the first that has it; empty for a
// relative path, an empty name, or a bare name found nowhere.
std::string locateDecoder(const std::string& name);

// dw_version's answer: a zero top byte and at most the host's version.
bool isAcceptedVersion(uint32_t version);

// The entries that decode a stream; null when not exported.
struct DecodingEntries {
    dw_open_fn open = nullptr;
    dw_decode_fn decode = nullptr;
    dw_isend_fn isEnd = nullptr;
    dw_close_fn close = nullptr;
    dw_switch_fn switchTo = nullptr;
    dw_setpos_fn setPosition = nullptr;
    dw_getpos_fn getPosition = nullptr;
    dw_setend_fn setEnd = nullptr;
    dw_setloop_fn setLoop = nullptr;
};

// Every entry a host uses, resolved once at load; null when not exported.
// textCharset is dw_pcmtextcset, or its older name dw_pcmtextcs.
struct DecoderEntries : DecodingEntries {
    dw_version_fn version = nullptr;
    dw_credit_fn credit = nullptr;
    dw_pcmcount_fn pcmCount = nullptr;
    dw_pcmtextcount_fn textCount = nullptr;
    dw_pcmtext_fn text = nullptr;
    dw_pcmtext_fn textLanguage = nullptr;
    dw_pcmtext_fn textCharset = nullptr;
    dw_enumpcmtext_fn enumTexts = nullptr;
};

// The decoder a name stands for, loaded on its first use; null (with the
// reason in *error) when it cannot be located or loaded, lacks dw_version or
// answers a version not accepted.  Safe from any thread; the entries live
// as long as the process.
const DecoderEntries* loadDecoder(const std::string& name, std::string* error = nullptr);

} // namespace decoder_plugins

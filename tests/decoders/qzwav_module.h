#pragma once

#include "decoder_plugins/decoder_module.h"
#include "memory_host.h"
#include "qzdecoder.h"

#include <string>
#include <vector>

// The built qzwav.so's entries, taken as every host takes a decoder.
struct QzwavModule : decoder_plugins::DecoderEntries {
    static const QzwavModule& get();
};

// dw_open through the memory host, after adding bytes as file "in.wav".
uint8_t* openBytes(MemoryHost& host, const std::vector<uint8_t>& bytes);

// Decodes in pieces of `piece` bytes until dw_decode gives nothing and
// dw_isend agrees (or a bounded number of empty calls).
std::vector<uint8_t> decodeAll(MemoryHost& host, uint8_t* handle, size_t piece = 65536);

// Decodes exactly `bytes` bytes or fewer when the data runs out.
std::vector<uint8_t> decodeSome(MemoryHost& host, uint8_t* handle, size_t bytes);

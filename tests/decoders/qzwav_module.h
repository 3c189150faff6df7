// The built qzwav.so, loaded once, with its entries resolved by name.
#pragma once

#include "memory_host.h"
#include "qzdecoder.h"

#include "platform/dynload.h"

#include <string>
#include <vector>

struct QzwavModule {
    platform::DynamicLibrary library;
    dw_version_fn version = nullptr;
    dw_credit_fn credit = nullptr;
    dw_open_fn open = nullptr;
    dw_decode_fn decode = nullptr;
    dw_isend_fn isEnd = nullptr;
    dw_close_fn close = nullptr;
    dw_getpos_fn getPos = nullptr;
    dw_setpos_fn setPos = nullptr;
    dw_setend_fn setEnd = nullptr;
    dw_setloop_fn setLoop = nullptr;
    dw_enumpcmtext_fn enumTexts = nullptr;

    static QzwavModule& get();
};

// dw_open through the memory host, after adding bytes as file "in.wav".
uint8_t* openBytes(MemoryHost& host, const std::vector<uint8_t>& bytes);

// Decodes in pieces of `piece` bytes until dw_decode gives nothing and
// dw_isend agrees (or a bounded number of empty calls).
std::vector<uint8_t> decodeAll(MemoryHost& host, uint8_t* handle, size_t piece = 65536);

// Decodes exactly `bytes` bytes or fewer when the data runs out.
std::vector<uint8_t> decodeSome(MemoryHost& host, uint8_t* handle, size_t bytes);

// The entries qzwav exports, with the signatures of the plug-in contract.
#pragma once

#include "qzdecoder.h"

#define QZWAV_EXPORT extern "C" __attribute__((visibility("default")))

QZWAV_EXPORT uint32_t dw_version(void);
QZWAV_EXPORT const char* dw_credit(void);
QZWAV_EXPORT uint8_t* dw_open(const dw_host* host, intptr_t mode, const char* file, intptr_t pcm, intptr_t extra);
QZWAV_EXPORT size_t dw_decode(const dw_host* host, uint8_t* handle, void* buffer, size_t length);
QZWAV_EXPORT int dw_isend(const dw_host* host, uint8_t* handle);
QZWAV_EXPORT void dw_close(const dw_host* host, uint8_t* handle);
QZWAV_EXPORT uint64_t dw_getpos(const dw_host* host, uint8_t* handle);
QZWAV_EXPORT int dw_setpos(const dw_host* host, uint8_t* handle, uint32_t frame_low, uint32_t frame_high);
QZWAV_EXPORT int dw_setend(const dw_host* host, uint8_t* handle, uint32_t frame_low, uint32_t frame_high);
QZWAV_EXPORT int dw_setloop(const dw_host* host, uint8_t* handle, uint32_t start_low, uint32_t start_high,
                            uint32_t end_low, uint32_t end_high);
QZWAV_EXPORT void dw_enumpcmtext(const dw_host* host, const char* file, intptr_t pcm, intptr_t which, dw_relay relay,
                                 void* context);

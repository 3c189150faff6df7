// The table through which the compression manager reaches its FFmpeg half.
//
// FFmpeg and the hundred libraries it pulls in live in their own module,
// zemcodec.so, loaded on the first compressed file: programs that only meet
// PCM never pay for loading them.
#pragma once

#include "platform/codec.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// The calls of the FFmpeg half, typed once: the half declares its functions
// by these types and the table carries pointers to them.
using AcmFormatSuggestCall = bool(const AcmWaveFormat& src, AcmPcmFormat& dst);
using AcmStreamOpenCall = AcmStream*(const AcmWaveFormat& src, const AcmPcmFormat& dst);
using AcmStreamSizeCall = size_t(const AcmStream* stream, size_t srcBytes);
using AcmStreamConvertCall = size_t(AcmStream* stream, const uint8_t* src, size_t srcSize, uint8_t* dst,
                                    size_t dstCapacity, bool start);
using AcmStreamTakeOutputCall = size_t(AcmStream* stream, uint8_t* dst, size_t dstCapacity);
using AcmStreamHasPendingCall = bool(const AcmStream* stream);
using AcmStreamCloseCall = void(AcmStream* stream);

struct AcmBackend {
    size_t size; // sizeof(AcmBackend) in the module's build
    AcmFormatSuggestCall* formatSuggest;
    AcmStreamOpenCall* streamOpen;
    AcmStreamSizeCall* streamSize;
    AcmStreamConvertCall* streamConvert;
    AcmStreamTakeOutputCall* streamTakeOutput;
    AcmStreamHasPendingCall* streamHasPending;
    AcmStreamCloseCall* streamClose;
};

inline constexpr const char* kAcmBackendModule = "zemcodec.so";
inline constexpr const char* kAcmBackendEntry = "zem_acm_backend";

using AcmBackendEntry = const AcmBackend* (*)();

} // namespace platform

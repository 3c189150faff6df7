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

struct AcmBackend {
    size_t size; // sizeof(AcmBackend) in the module's build
    bool (*formatSuggest)(const AcmWaveFormat& src, AcmPcmFormat& dst);
    AcmStream* (*streamOpen)(const AcmWaveFormat& src, const AcmPcmFormat& dst);
    size_t (*streamSize)(const AcmStream* stream, size_t srcBytes);
    size_t (*streamConvert)(AcmStream* stream, const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                            bool start);
    size_t (*streamTakeOutput)(AcmStream* stream, uint8_t* dst, size_t dstCapacity);
    bool (*streamHasPending)(const AcmStream* stream);
    void (*streamClose)(AcmStream* stream);
};

inline constexpr const char* kAcmBackendModule = "zemcodec.so";
inline constexpr const char* kAcmBackendEntry = "zem_acm_backend";

using AcmBackendEntry = const AcmBackend* (*)();

} // namespace platform

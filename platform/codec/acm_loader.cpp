#include "platform/codec.h"
#include "platform/codec_backend.h"
#include "platform/dynload.h"

// Defined only where the FFmpeg half is linked in directly.
extern "C" const platform::AcmBackend* zem_acm_backend() __attribute__((weak));

namespace platform {

namespace {

const AcmBackend* backend();

// The FFmpeg half sits beside the module (or program) that holds this code;
// the loader's own search is the fallback.
DynamicLibrary loadBackendModule()
{
    std::string folder = moduleFolder(reinterpret_cast<const void*>(&backend));
    if (!folder.empty()) {
        DynamicLibrary beside(folder + "/" + kAcmBackendModule);
        if (beside.isLoaded()) return beside;
    }
    return DynamicLibrary(kAcmBackendModule);
}

// Loaded once per process and kept: streams may be open anywhere.
const AcmBackend* backend()
{
    static const AcmBackend* table = []() -> const AcmBackend* {
        if (zem_acm_backend) return zem_acm_backend();
        static DynamicLibrary module = loadBackendModule();
        auto entry = module.entry<AcmBackendEntry>(kAcmBackendEntry);
        const AcmBackend* found = entry ? entry() : nullptr;
        return found && found->size == sizeof(AcmBackend) ? found : nullptr;
    }();
    return table;
}

} // namespace

bool acmFormatSuggest(const AcmWaveFormat& src, AcmPcmFormat& dst)
{
    const AcmBackend* b = backend();
    return b && b->formatSuggest(src, dst);
}

AcmStream* acmStreamOpen(const AcmWaveFormat& src, const AcmPcmFormat& dst)
{
    const AcmBackend* b = backend();
    return b ? b->streamOpen(src, dst) : nullptr;
}

// A stream exists only once the backend has loaded, so the calls below
// need no second check of it.
size_t acmStreamSize(const AcmStream* stream, size_t srcBytes)
{
    return stream ? backend()->streamSize(stream, srcBytes) : 0;
}

size_t acmStreamConvert(AcmStream* stream, const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                        bool start)
{
    return stream ? backend()->streamConvert(stream, src, srcSize, dst, dstCapacity, start) : 0;
}

size_t acmStreamTakeOutput(AcmStream* stream, uint8_t* dst, size_t dstCapacity)
{
    return stream ? backend()->streamTakeOutput(stream, dst, dstCapacity) : 0;
}

bool acmStreamHasPending(const AcmStream* stream) { return stream && backend()->streamHasPending(stream); }

void acmStreamClose(AcmStream* stream)
{
    if (stream) backend()->streamClose(stream);
}

} // namespace platform

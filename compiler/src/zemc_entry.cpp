// The library's exported entries.
#include "zemcmain.h"

#include "kvt/compile_job.h"
#include "util/fileset.h"

extern "C" ZEMC_EXPORT int32_t zemc(const uint8_t* text, uint32_t length, const char* source_name,
                                    const char* output_path, uint32_t flags, zemc_message_fn callback, void* user)
{
    if (util::conproof_hit(output_path)) return ZEMC_CON_PROOF;
    const kvt::CompileRequest request{text, length, source_name, static_cast<uint16_t>(flags), callback, user};
    return kvt::compileToFile(request, output_path);
}

extern "C" ZEMC_EXPORT uint32_t dc_version(void) { return ZEMC_INTERFACE_VERSION; }

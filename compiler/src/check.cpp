#include "kvt/check.h"

#include "kvt/compile_job.h"
#include "messages.h"

#include <vector>

namespace kvt {

namespace {

void keepMessage(void* user, const char* message, const char*) { *static_cast<std::string*>(user) = message; }

} // namespace

CheckResult checkText(const uint8_t* text, uint32_t length, uint16_t conditionMask)
{
    CheckResult result;
    CompileErrorSpot spot;
    CompileRequest request{text, length, nullptr, conditionMask, keepMessage, &result.message, &spot};
    std::vector<uint8_t> image;
    if (compileToMemory(request, image) == ZEMC_OK) return result;
    result.ok = false;
    result.code = spot.code;
    if (spot.code == 0 || spot.code == kErrEmptyTrack || spot.spot.command == nullptr) return result;
    const uint8_t* at = spot.spot.command;
    const uint8_t* lineStart = at;
    while (lineStart != text && lineStart[-1] != '\n') --lineStart;
    result.line = spot.spot.line;
    result.column = static_cast<uint32_t>(at - lineStart) + 1;
    result.offset = static_cast<uint32_t>(at - text);
    return result;
}

} // namespace kvt

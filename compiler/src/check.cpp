#include "kvt/check.h"

#include "kvt/compile_job.h"
#include "messages.h"

#include <vector>

namespace kvt {

namespace {

void keepMessage(void* user, const char* message, const char*) { *static_cast<std::string*>(user) = message; }

} // namespace

ErrorPlace errorPlace(const uint8_t* text, uint32_t code, uint32_t line, const uint8_t* command)
{
    if (code == 0 || code == kErrEmptyTrack || command == nullptr) return {};
    const uint8_t* lineStart = command;
    while (lineStart != text && lineStart[-1] != '\n') --lineStart;
    return {line, static_cast<uint32_t>(command - lineStart) + 1, static_cast<uint32_t>(command - text)};
}

CheckResult checkText(const uint8_t* text, uint32_t length, uint16_t conditionMask)
{
    CheckResult result;
    CompileErrorSpot spot;
    CompileRequest request{text, length, nullptr, conditionMask, keepMessage, &result.message, &spot};
    std::vector<uint8_t> image;
    if (compileToMemory(request, image) == ZEMC_OK) return result;
    result.ok = false;
    result.code = spot.code;
    const ErrorPlace place = errorPlace(text, spot.code, spot.spot.line, spot.spot.command);
    result.line = place.line;
    result.column = place.column;
    result.offset = place.offset;
    return result;
}

} // namespace kvt

// The names of the library's error codes.
#include "util/uerr.h"

#include <array>

namespace util {
namespace {

struct ErrorName {
    ErrCode code;
    const char* text;
};

constexpr std::array<ErrorName, 21> kNames{{
    {kErrCritical, "System Critical"},
    {kErrNullArgument, "Null argument"},
    {kErrNotPushed, "UERR not pushed"},
    {kErrOutOfMemory, "Out of memory"},
    {kErrLostInRealloc, "Lost in realloc"},
    {kErrMemblockLocked, "Memblock locked"},
    {kErrMemblockRoaming, "Memblock roaming"},
    {kErrMemblockUnfreed, "Memblock unfreed"},
    {kErrMemblockClashed, "Memblock clashed"},
    {kErrStrsetParam, "Illegal STRSET param"},
    {kErrStrsetOverflow, "Overflow on STRSET"},
    {kErrFilesetLost, "FILESET lost"},
    {kErrFilesetEmpty, "FILESET empty"},
    {kErrFileCannotRead, "File cannot read"},
    {kErrFileCannotWrite, "File cannot write"},
    {kErrFileStillOpen, "File still open"},
    {kErrFilesetParam, "Illegal Param on FILESET"},
    {kErrFileNotFound, "File not found"},
    {kErrFileNotOpen, "File not open"},
    {kErrNoCurrentDirectory, "Cannot get current directory"},
    {kErrReported, "(innored)"},
}};

constexpr const char* kUndefined = "Undefined error";
constexpr const char* kOther = "(other)";

UerrNamer g_namer = nullptr;

} // namespace

const char* uerr_name(ErrCode code)
{
    for (const ErrorName& entry : kNames) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    if (code < 0x10000) {
        return kUndefined;
    }
    if (code < kErrProgramBase) {
        return kOther;
    }
    const char* text = g_namer != nullptr ? g_namer(code) : nullptr;
    return text != nullptr ? text : kUndefined;
}

void uerr_set_namer(UerrNamer namer) { g_namer = namer; }

} // namespace util

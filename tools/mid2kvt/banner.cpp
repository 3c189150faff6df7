#include "banner.h"

#include "platform/text.h"

namespace mid2kvt {

namespace {

// The version label as stored: ten Shift-JIS (code page 932) bytes.
constexpr char kVersionLabel[] = "\x89\xB3\x9C\xFA\x95\xB6\x8C\x8E\x94\xC5";

} // namespace

std::string banner()
{
    return "MID2KVT for Win32 " + platform::toUtf8(kVersionLabel, sizeof kVersionLabel - 1, "CP932");
}

} // namespace mid2kvt

// The exporter's banner, usage, own code and the texts it shows.
#pragma once

#include "playback/export_messages.h"
#include "util/uerr.h"

#include <string>

namespace zem2mid {

// Its own code beside the shared ones (playback/export_messages.h).
inline constexpr util::ErrCode kErrDeltaTooLong = 0x40002;

inline constexpr const char* kBanner = "ZEM2MID for Win32 ver 05/07";
// The windowed program's title is this prefix and the version label.
inline constexpr const char* kTitlePrefix = "ZEM2MID for Win32 ";

inline constexpr const char* kUsage = "\n"
                                      "usage\n"
                                      "> zem2mid [sw] ZEMfile [sw] [ZEMfile [sw] [...]]\n"
                                      "\n"
                                      "* sw: optional switches\n"
                                      " -L[num]  looping times(default=2)\n"
                                      " -D[num]  delay after loop(in msec) (default=1000)\n"
                                      " -F[num]  fading time(in msec) (default=9000)\n"
                                      " -M[hex]  device disable flags (default=0000)\n"
                                      " -Z       ignore infinite loop\n"
                                      " -O       off-velocity enable\n";

// The per-file text of a code, its own or a shared one, with "%08x" filled by the image offset of the
// last engine error; empty when the code is not a per-file error.
std::string fileErrorText(util::ErrCode code, uint32_t errorOffset);

} // namespace zem2mid

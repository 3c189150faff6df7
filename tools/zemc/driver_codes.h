// Codes and texts of the compiler drivers.
#pragma once

#include "util/uerr.h"

namespace zemc_driver {

inline constexpr util::ErrCode kErrConProof = 0x40000;
inline constexpr util::ErrCode kErrIllegalOption = 0x40001;

inline constexpr const char* kBanner = "ZEMC for Win32 ver 05/07";
// The windowed driver's title is this prefix and the version label.
inline constexpr const char* kTitlePrefix = "ZEMC for Win32 ";

inline constexpr const char* kUsage = "\n"
                                      "usage\n"
                                      "> zemc [sw] sourcefile [sw] [sourcefile [sw] [...]]\n"
                                      "\n"
                                      "* sw: optional switches\n"
                                      " -S[str]  suffix&extension become [str] (default=.ZEM)\n"
                                      " -F[num]  set switching flags(in decimal) (default=0)\n"
                                      " -F.[num] set switching flags(in binary)\n"
                                      " -F&[num] set switching flags(in hexa decimal)\n";

} // namespace zemc_driver

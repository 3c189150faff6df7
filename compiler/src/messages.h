// The compile messages and the one sink every compile error goes through.
//
// A command records the line on which its character was read; an error
// raised anywhere inside that command reports that line, even when later
// line feeds have been read since.
#pragma once

#include "kvt/message_spot.h"
#include "util/strset.h"
#include "util/uerr.h"

#include <cstdint>

namespace kvt {

enum : util::ErrCode {
    kErrNotEnoughSize = 0x40001,
    kErrIllegalParameter = 0x40002,
    kErrMissingParameter = 0x40003,
    kErrUndefinedCommand = 0x40004,
    kErrEmptyTrack = 0x40007,
    kErrMetaTooLong = 0x40008,
    kErrSysexTooLong = 0x4000A,
    kErrChecksum = 0x4000B,
    kErrDeltaTooLong = 0x4000C,
    kErrMissingTrack = 0x4000D,
    kErrSlurCannotContinue = 0x4000E,
    kErrSlurImpossible = 0x4000F,
    kErrSyntax = 0x40011,
    kErrTooManyParameters = 0x40012,
    kErrTooManyChordNotes = 0x40013,
    kErrChordImpossible = 0x40014,
    kErrLoopTooDeep = 0x40015,
    kErrOutOfLoop = 0x40016,
    kErrLoopInfinite = 0x40017,
    kErrLoopStillOpen = 0x40018,
};

// Where the next compile message points.
namespace detail {
inline MessageSpot g_messageSpot;
} // namespace detail

inline void setMessageSpot(const MessageSpot& spot) { detail::g_messageSpot = spot; }
inline const MessageSpot& messageSpot() { return detail::g_messageSpot; }
inline uint32_t messageLine() { return detail::g_messageSpot.line; }

// Raises a compile error; the message line is the one last recorded.
[[noreturn]] void compileError(util::ErrCode code);

// The template of a compile message ("... in %d."), or null when the code
// is not a compile error.
const char* messageTemplate(util::ErrCode code);

// Appends the formatted message of a compile error to `out`.
void formatCompileMessage(util::STRSET* out, util::ErrCode code);

// True for the file errors that are reported with the file's path.
bool isReportedFileError(util::ErrCode code);

} // namespace kvt

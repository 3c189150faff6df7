// Error frames (UERR), error codes and their names.
//
// A failure anywhere in the utility library, the compiler or the command-line
// tools is a numeric code raised through uerr_raise().  The code travels as a
// C++ exception (UerrRaised) to the innermost protected call, which may hand
// it to a handler; a handler that cannot deal with it raises it again, and it
// reaches the next enclosing frame, possibly in another module.
#pragma once

#include <cstdint>

namespace util {

using ErrCode = uint32_t;

// General codes.
inline constexpr ErrCode kErrCritical = 0;
inline constexpr ErrCode kErrNullArgument = 2;
inline constexpr ErrCode kErrNotPushed = 256;
// Memory blocks.
inline constexpr ErrCode kErrOutOfMemory = 0x10000;
inline constexpr ErrCode kErrLostInRealloc = 0x10001;
inline constexpr ErrCode kErrMemblockLocked = 0x10002;
inline constexpr ErrCode kErrMemblockRoaming = 0x10003;
inline constexpr ErrCode kErrMemblockUnfreed = 0x10004;
inline constexpr ErrCode kErrMemblockClashed = 0x10005;
// String sets.
inline constexpr ErrCode kErrStrsetParam = 0x20000;
inline constexpr ErrCode kErrStrsetOverflow = 0x20001;
// File sets.
inline constexpr ErrCode kErrFilesetLost = 0x30000;
inline constexpr ErrCode kErrFilesetEmpty = 0x30001;
inline constexpr ErrCode kErrFileCannotRead = 0x30002;
inline constexpr ErrCode kErrFileCannotWrite = 0x30003;
inline constexpr ErrCode kErrFileStillOpen = 0x30004;
inline constexpr ErrCode kErrFilesetParam = 0x30005;
inline constexpr ErrCode kErrFileNotFound = 0x30006;
inline constexpr ErrCode kErrFileNotOpen = 0x30007;
inline constexpr ErrCode kErrNoCurrentDirectory = 0x30008;
// Codes from 0x40000 on belong to the program.
inline constexpr ErrCode kErrProgramBase = 0x40000;
// Marks an error that a handler has already reported.
inline constexpr ErrCode kErrReported = 0xFFFFFFFF;

// One error frame.  Frames live on the stack of the function that pushes
// them and chain to the enclosing frame through `link`.
struct UERR {
    ErrCode code;
    UERR* link;
    uint8_t reserved[3];
};

// The exception that carries a raised code.  Default visibility so that a
// code raised inside a shared library is caught by the calling program.
struct __attribute__((visibility("default"))) UerrRaised {
    ErrCode code;
};

using UerrBody = intptr_t (*)(void* arg);
// Reports the code and returns the protected call's result; it may store
// kErrReported into `code`, or raise again to pass the code outwards.
using UerrHandler = intptr_t (*)(void* arg, ErrCode& code);
using UerrCleanup = intptr_t (*)(void* arg);
// Names codes from 0x40000 on; returns null when it has no name for one.
using UerrNamer = const char* (*)(ErrCode code);

// Makes `frame` innermost (code 0).  A null frame raises kErrNullArgument.
void uerr_push(UERR* frame);
// Removes the innermost frame; a frame that is not innermost raises
// kErrNotPushed.  Returns cleanup(arg) when a cleanup is given, else 0.
intptr_t uerr_pop(void* arg, UERR* frame, UerrCleanup cleanup);
// Stores `code` in the innermost frame and transfers control to the
// protected call owning it.  With no frame at all the code still travels as
// an exception; left uncaught it ends the process.
[[noreturn]] void uerr_raise(ErrCode code);
// push; result = body(arg); pop with cleanup.  A raised code pops the frame,
// goes to `handler` (whose return is the result; without a handler the code
// is the result), then cleanup runs.  A result of 0 after a raise becomes 1.
intptr_t uerr_protect(void* arg, UerrHandler handler, UerrBody body, UerrCleanup cleanup);
// The innermost frame, or null.
UERR* uerr_innermost();

// The name of a code ("Out of memory", "(innored)" for kErrReported ...).
const char* uerr_name(ErrCode code);
// Registers the program's namer for codes 0x40000 and above (null removes it).
void uerr_set_namer(UerrNamer namer);

} // namespace util

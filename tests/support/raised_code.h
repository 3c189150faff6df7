// The code a call raises through the error frames.
#pragma once

#include "util/uerr.h"

// Returned when the call raised nothing.
inline constexpr util::ErrCode kNothingRaised = 0xFFFFFFFE;

template <typename F> util::ErrCode raisedCode(F&& call)
{
    try {
        call();
    } catch (const util::UerrRaised& e) {
        return e.code;
    }
    return kNothingRaised;
}

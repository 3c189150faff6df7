// Runs steps of the compiler core over a text and keeps the code they
// raised with the line it was raised on.
#pragma once

#include "compile_driver.h"
#include "messages.h"
#include "util/uerr.h"

#include <cstdint>
#include <string>

namespace kvt_test {

struct Raised {
    util::ErrCode error = 0; // 0: nothing raised
    uint32_t line = 0;
};

// Calls step(ctx) with a context over `text` and the condition mask `flags`.
template <typename Step> Raised runCore(const std::string& text, uint32_t flags, Step step)
{
    kvt::CompileContext ctx;
    kvt::initContext(ctx, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()),
                     static_cast<uint16_t>(flags));
    try {
        step(ctx);
    } catch (const util::UerrRaised& e) {
        return {e.code, kvt::messageLine()};
    }
    return {};
}

} // namespace kvt_test

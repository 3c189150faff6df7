// A plug-in that raises through its own copy of the utility library, as the
// compiler library does inside a driver program.
#include "util/uerr.h"

extern "C" __attribute__((visibility("default"))) void probe_raise(uint32_t code) { util::uerr_raise(code); }

namespace {

intptr_t raiseFromBody(void* arg) { util::uerr_raise(*static_cast<uint32_t*>(arg)); }

intptr_t passOn(void*, util::ErrCode& code) { util::uerr_raise(code + 1); }

} // namespace

// A protected call inside the plug-in whose handler passes the code outwards.
extern "C" __attribute__((visibility("default"))) intptr_t probe_protect_and_pass_on(uint32_t code)
{
    return util::uerr_protect(&code, passOn, raiseFromBody, nullptr);
}

// Error frames: a process-wide chain of UERR records, with raised codes
// travelling as UerrRaised exceptions to the protected call that owns the
// innermost frame.
#include "util/uerr.h"

namespace util {
namespace {

UERR* g_innermost = nullptr;

// Restores the frame chain when a protected body leaves by any exception,
// so that no frame that lived on an abandoned stack stays reachable.
class FrameGuard {
public:
    explicit FrameGuard(UERR* frame) : frame_(frame) {}
    ~FrameGuard()
    {
        if (armed_) {
            g_innermost = frame_->link;
        }
    }
    void disarm() { armed_ = false; }

private:
    UERR* frame_;
    bool armed_ = true;
};

} // namespace

void uerr_push(UERR* frame)
{
    if (frame == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    frame->code = 0;
    frame->link = g_innermost;
    frame->reserved[0] = frame->reserved[1] = frame->reserved[2] = 0;
    g_innermost = frame;
}

intptr_t uerr_pop(void* arg, UERR* frame, UerrCleanup cleanup)
{
    if (frame == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    if (frame != g_innermost) {
        uerr_raise(kErrNotPushed);
    }
    g_innermost = frame->link;
    return cleanup != nullptr ? cleanup(arg) : 0;
}

void uerr_raise(ErrCode code)
{
    if (g_innermost != nullptr) {
        g_innermost->code = code;
    }
    throw UerrRaised{code};
}

UERR* uerr_innermost() { return g_innermost; }

intptr_t uerr_protect(void* arg, UerrHandler handler, UerrBody body, UerrCleanup cleanup)
{
    UERR frame;
    uerr_push(&frame);
    ErrCode code;
    {
        FrameGuard guard(&frame);
        try {
            intptr_t result = body != nullptr ? body(arg) : 0;
            // Raises kErrNotPushed when the body left a frame of its own.
            uerr_pop(arg, &frame, cleanup);
            guard.disarm();
            return result;
        } catch (const UerrRaised& raised) {
            code = raised.code;
        }
    }
    // The guard has popped the frame (and any the body left behind).
    intptr_t result;
    try {
        result = handler != nullptr ? handler(arg, code) : static_cast<intptr_t>(code);
    } catch (const UerrRaised&) {
        // A handler passing the code outwards still releases what the body held.
        if (cleanup != nullptr) {
            cleanup(arg);
        }
        throw;
    }
    if (cleanup != nullptr) {
        cleanup(arg);
    }
    return result == 0 ? 1 : result;
}

} // namespace util

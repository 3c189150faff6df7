#include "platform/message.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<MessageBackend> g_backend{stderr_message};

} // namespace

void show_message(const char* caption, const char* text, MessageIcon icon) { g_backend.load()(caption, text, icon); }

MessageBackend set_message_backend(MessageBackend backend)
{
    return g_backend.exchange(backend != nullptr ? backend : stderr_message);
}

} // namespace platform

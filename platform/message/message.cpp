#include "platform/message.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<MessageBackend> g_backend{stderrMessage};

} // namespace

void showMessage(const char* caption, const char* text, MessageIcon icon) { g_backend.load()(caption, text, icon); }

MessageBackend setMessageBackend(MessageBackend backend)
{
    return g_backend.exchange(backend != nullptr ? backend : stderrMessage);
}

} // namespace platform

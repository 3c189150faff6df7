// The console backend: one line on standard error.
#include "platform/message.h"

#include "platform/full_transfer.h"

#include <string>
#include <unistd.h>

namespace platform {

void stderr_message(const char* caption, const char* text, MessageIcon)
{
    std::string line;
    if (caption != nullptr && caption[0] != '\0') {
        line = caption;
        line += ": ";
    }
    if (text != nullptr) {
        line += text;
    }
    line += '\n';
    // One write per message keeps lines whole when several processes share
    // the stream.
    transferFully(line.size(),
                  [&](size_t done) { return ::write(STDERR_FILENO, line.data() + done, line.size() - done); });
}

} // namespace platform

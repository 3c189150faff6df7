// The console backend: one line on standard error.
#include "platform/message.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace platform {

void stderrMessage(const char* caption, const char* text, MessageIcon)
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
    size_t done = 0;
    while (done < line.size()) {
        ssize_t written = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<size_t>(written);
    }
}

} // namespace platform

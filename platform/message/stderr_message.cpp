// The console backend: one line on standard error.
#include "platform/message.h"

#include "platform/full_transfer.h"
#include "platform/terminal_text.h"

#include <string>
#include <unistd.h>

namespace platform {

void stderrMessage(const char* caption, const char* text, MessageIcon)
{
    // Captions name files and texts may quote a score: neither may reach
    // the terminal as an escape sequence.
    std::string line;
    if (caption != nullptr && caption[0] != '\0') {
        line = terminalSafe(caption);
        line += ": ";
    }
    if (text != nullptr) {
        line += terminalSafe(text, LineBreaks::Keep);
    }
    line += '\n';
    // One write per message keeps lines whole when several processes share
    // the stream.
    transferFully(line.size(),
                  [&](size_t done) { return ::write(STDERR_FILENO, line.data() + done, line.size() - done); });
}

} // namespace platform

// Showing a message to the user: caption, text and icon.
//
// One call for every program.  The console backend writes "caption: text"
// (or the text alone when the caption is null or empty) and a newline to
// standard error; a windowed program installs its own backend (a message
// box) once at start-up.
#pragma once

namespace platform {

enum class MessageIcon {
    None,
    Information,
    Question,
    Warning,
    Stop,
};

// caption and text are NUL-terminated bytes; a null text shows as empty.
using MessageBackend = void (*)(const char* caption, const char* text, MessageIcon icon);

void showMessage(const char* caption, const char* text, MessageIcon icon);

// Installs backend for every later showMessage (null restores the console
// backend) and returns the one it replaces.  Call it before other threads
// may show messages.
MessageBackend setMessageBackend(MessageBackend backend);

// The console backend.
void stderrMessage(const char* caption, const char* text, MessageIcon icon);

} // namespace platform

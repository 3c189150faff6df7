// Message boxes for the windowed programs.
#pragma once

namespace platform {

// True when a display is there to show windows on (DISPLAY or
// WAYLAND_DISPLAY is set).
bool has_display();

// For a windowed program at start-up: when a display is available, creates
// the program's Qt application (unless one exists) and routes show_message to
// modal message boxes; otherwise messages stay on standard error.  Returns
// whether message boxes are in use.
bool use_message_boxes(int& argc, char** argv);

// Routes show_message to message boxes; a Qt application must exist.
void install_message_box_backend();

} // namespace platform

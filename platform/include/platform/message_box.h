// Message boxes for the windowed programs.
#pragma once

#include <memory>
#include <string>

class QApplication;

namespace platform {

// True when an X display answers: DISPLAY is set and its server accepts a
// connection (Qt would abort the program on one that does not).
bool hasDisplay();

// Held for a windowed program's lifetime: when a display answers, owns the
// program's Qt application and routes showMessage to modal message boxes;
// otherwise messages stay on standard error.  Qt is given the program name
// alone, so none of the program's own words is taken as a Qt option.
// Destroying it restores the console backend.
class MessageBoxes {
public:
    explicit MessageBoxes(const char* programName);
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    // Whether messages are shown in boxes.
    bool active() const { return active_; }

private:
    // Qt keeps references to the argument count and list: they live here,
    // as long as the application does.
    std::string name_;
    int argc_ = 1;
    char* argv_[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> application_;
    bool active_ = false;
};

// Routes showMessage to message boxes; a Qt application must exist.
void installMessageBoxBackend();

} // namespace platform

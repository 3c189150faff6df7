// A whole player in a scratch folder: the session on the recording MIDI
// device, the main window and the controller between them, as zemfe builds
// them.  The settings file and the single-instance lock live in the folder.
#pragma once

#include "gui_toolkit.h"

#include <player_window.h>
#include <temp_dir.h>

#include "frontend/session.h"

#include <memory>
#include <string>

namespace zemfe_test {

using zemfe::MediaButton;

class PlayerFixture : public testing::Test, public WithApplication {
protected:
    PlayerFixture();
    ~PlayerFixture() override;

    // (Re)creates session and window; false when refused.  A reload
    // switches the session's image, as in zemfe, unless the test takes the
    // images.
    bool start(frontend::Session::TakeImage switchImage = nullptr);
    void finish();
    // Waits, keeping the window's events and timers going.
    void settle(int ms);
    void click(MediaButton button);
    void dropFiles(const QStringList& paths);
    // A file of the scratch folder, copied from the examples or written.
    std::string example(const std::string& name);
    std::string recorded() const;
    std::string settingsText() const { return dir.read("zemfe.ini"); }

    zem_test::TempDir dir;
    std::unique_ptr<frontend::Session> session;
    std::unique_ptr<zemfe::PlayerWindow> window;
    zemfe::MainForm* form = nullptr;
    zemfe::PlayerController* controller = nullptr;
};

// Recorded lines whose first byte is a note-on with a nonzero velocity.
int countNoteOns(const std::string& recording);

} // namespace zemfe_test

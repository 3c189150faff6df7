// The whole player window as zemfe shows it: the form, the controller that
// connects it to the session, live reload, and the score window that
// follows the sound and underlines the errors of a failed reload.
#pragma once

#include "live_reload.h"
#include "main_form.h"
#include "player_controller.h"
#include "score_window.h"

namespace zemfe {

struct PlayerWindow {
    // takeReloaded: see LiveReload.
    PlayerWindow(frontend::Session& session, PlayerController::DeviceNameSource deviceNames,
                 frontend::Session::TakeImage takeReloaded = nullptr);

    MainForm form;
    PlayerController controller;
    LiveReload reload;
    ScoreWindow& score;
};

} // namespace zemfe

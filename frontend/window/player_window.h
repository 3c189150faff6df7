// The whole player window as zemfe shows it: the form, the controller that
// connects it to the session, and live reload.
#pragma once

#include "live_reload.h"
#include "main_form.h"
#include "player_controller.h"

namespace zemfe {

struct PlayerWindow {
    // takeReloaded: see LiveReload.
    PlayerWindow(frontend::Session& session, PlayerController::DeviceNameSource deviceNames,
                 frontend::Session::TakeImage takeReloaded = nullptr);

    MainForm form;
    PlayerController controller;
    LiveReload reload;
};

} // namespace zemfe

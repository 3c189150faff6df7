#include "player_window.h"

namespace zemfe {

PlayerWindow::PlayerWindow(frontend::Session& session, PlayerController::DeviceNameSource deviceNames,
                           const std::string& settingsPath, LiveReload::SwitchImage switchImage)
    : controller(form, session, std::move(deviceNames)),
      reload(form, session, form.reloadOption(), settingsPath, std::move(switchImage))
{
    QObject::connect(&controller, &PlayerController::snapshotShown, &reload, &LiveReload::follow);
}

} // namespace zemfe

#include "player_window.h"

namespace zemfe {

PlayerWindow::PlayerWindow(frontend::Session& session, PlayerController::DeviceNameSource deviceNames,
                           LiveReload::SwitchImage switchImage)
    : controller(form, session, std::move(deviceNames)),
      reload(form, session, form.reloadOption(), std::move(switchImage))
{
    QObject::connect(&controller, &PlayerController::snapshotShown, &reload, &LiveReload::follow);
}

} // namespace zemfe

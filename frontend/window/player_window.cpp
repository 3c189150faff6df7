#include "player_window.h"

namespace zemfe {

PlayerWindow::PlayerWindow(frontend::Session& session, PlayerController::DeviceNameSource deviceNames,
                           frontend::Session::TakeImage takeReloaded)
    : controller(form, session, std::move(deviceNames)), reload(session, form.reloadOption(), std::move(takeReloaded))
{
    QObject::connect(&controller, &PlayerController::snapshotShown, &reload, &LiveReload::follow);
}

} // namespace zemfe

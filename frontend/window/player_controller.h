// Connects the main window to the player session: the user's clicks become
// session actions, and a timer of the window's own thread shows what the
// playback thread published.  The window never waits on the engine.
#pragma once

#include "device_form.h"
#include "main_form.h"
#include "message_pane.h"

#include "frontend/session.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

namespace zemfe {

class PlayerController : public QObject {
    Q_OBJECT
public:
    // The device names are asked for each time the dialog opens.
    using DeviceNameSource = std::function<DeviceNames()>;

    PlayerController(MainForm& form, frontend::Session& session, DeviceNameSource deviceNames);

    // Shows the latest published values and message lines now.
    void refresh();

    static constexpr int kRefreshMs = 40;

signals:
    void snapshotShown(const frontend::Snapshot& snapshot);
    // After the pane showed them.
    void messagesTaken(const frontend::MessageBatch& batch);

private:
    void buttonClicked(MediaButton button);
    void openDeviceDialog();
    void showSnapshot(const frontend::Snapshot& snapshot);

    MainForm& form_;
    frontend::Session& session_;
    DeviceNameSource deviceNames_;
    MessagePane pane_;
    QTimer timer_;
    uint64_t shownSerial_ = 0;
    bool shownOnce_ = false;
};

} // namespace zemfe

#include "player_controller.h"

namespace zemfe {

namespace {

QString qText(const std::string& text) { return QString::fromStdString(text); }

} // namespace

PlayerController::PlayerController(MainForm& form, frontend::Session& session, DeviceNameSource deviceNames)
    : form_(form), session_(session), deviceNames_(std::move(deviceNames)), pane_(form)
{
    form_.setSwitches(session_.compileSwitches());
    connect(&form_, &MainForm::buttonClicked, this, &PlayerController::buttonClicked);
    connect(&form_, &MainForm::switchesChanged, this, [this](uint16_t mask) { session_.setCompileSwitches(mask); });
    connect(&form_, &MainForm::fileDropped, this, [this](const QString& path) {
        session_.selectFile(path.toStdString());
        refresh();
    });
    connect(&form_, &MainForm::deviceDialogRequested, this, &PlayerController::openDeviceDialog);
    connect(&timer_, &QTimer::timeout, this, &PlayerController::refresh);
    timer_.start(kRefreshMs);
    refresh();
}

void PlayerController::buttonClicked(MediaButton button)
{
    switch (button) {
    case MediaButton::Play: session_.play(); break;
    case MediaButton::Pause: session_.pause(); break;
    case MediaButton::Stop: session_.stop(); break;
    case MediaButton::Eject: session_.eject(); break;
    }
    refresh();
}

void PlayerController::openDeviceDialog()
{
    frontend::DeviceSettings settings = session_.deviceSettings();
    DeviceForm dialog(deviceNames_(), settings, &form_);
    dialog.exec();
    session_.applyDeviceSettings(settings);
}

void PlayerController::refresh()
{
    const frontend::Snapshot snapshot = session_.snapshot();
    if (!shownOnce_ || snapshot.serial != shownSerial_) showSnapshot(snapshot);
    const frontend::MessageBatch batch = session_.takeMessages();
    pane_.show(batch);
    emit messagesTaken(batch);
}

void PlayerController::showSnapshot(const frontend::Snapshot& snapshot)
{
    shownSerial_ = snapshot.serial;
    shownOnce_ = true;
    form_.setWindowTitle(qText(snapshot.caption));
    form_.setButtonsEnabled(snapshot.buttonsEnabled);
    form_.setDeviceActionEnabled(snapshot.deviceMenuEnabled);
    form_.setTime(qText(snapshot.time));
    form_.setLoop(qText(snapshot.loop));
    form_.setTempo(qText(snapshot.tempo));
    form_.setStep(qText(snapshot.step), qText(snapshot.step2));
    form_.setKey(qText(snapshot.key));
    form_.setTitleText(qText(snapshot.title.text));
    form_.setRightText(qText(snapshot.notice.text));
    form_.setCharsetText(qText(snapshot.charsetLine));
    emit snapshotShown(snapshot);
}

} // namespace zemfe

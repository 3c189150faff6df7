#include "player_window.h"

#include "score_menu.h"

#include <variant>

namespace zemfe {

namespace {

// A failed reload's errors are underlined where they are; a taken one
// clears them.
void showReloadErrors(ScoreWindow& score, const frontend::MessageBatch& batch)
{
    for (const frontend::Message& message : batch.messages) {
        if (std::holds_alternative<frontend::ReloadDone>(message)) score.clearErrors();
        const auto* compile = std::get_if<frontend::CompileMessage>(&message);
        if (compile && compile->reload != 0 && compile->line != 0)
            score.showError(compile->line, compile->column, QString::fromStdString(compile->text));
    }
}

} // namespace

PlayerWindow::PlayerWindow(frontend::Session& session, PlayerController::DeviceNameSource deviceNames,
                           frontend::Session::TakeImage takeReloaded)
    : controller(form, session, std::move(deviceNames)),
      reload(session, form.reloadOption(), std::move(takeReloaded)),
      score(connectScoreWindow(form, session))
{
    QObject::connect(&controller, &PlayerController::snapshotShown, &reload, &LiveReload::follow);
    QObject::connect(&controller, &PlayerController::messagesTaken, &score,
                     [this](const frontend::MessageBatch& batch) { showReloadErrors(score, batch); });
}

} // namespace zemfe

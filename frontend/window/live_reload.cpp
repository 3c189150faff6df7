#include "live_reload.h"

#include "main_form.h"

#include "frontend/compile_image.h"

#include <QAction>

#include <string>

namespace zemfe {

LiveReload::LiveReload(MainForm& form, frontend::Session& session, QAction& option, SwitchImage switchImage)
    : form_(form),
      session_(session),
      option_(option),
      switchImage_(switchImage ? std::move(switchImage) : [&session](std::vector<uint8_t> image) {
          return session.switchImage(std::move(image));
      })
{
    option_.setChecked(session_.reloadOnChange());
    connect(&option_, &QAction::toggled, this, &LiveReload::optionToggled);
    connect(&watcher_, &ScoreWatcher::changed, this, &LiveReload::reload);
}

void LiveReload::optionToggled(bool on)
{
    session_.setReloadOnChange(on);
    updateWatch();
}

void LiveReload::follow(const frontend::Snapshot& snapshot)
{
    const bool exists = snapshot.state == frontend::PlayerState::Playing ||
                        snapshot.state == frontend::PlayerState::Paused;
    if (exists == playerExists_) return;
    playerExists_ = exists;
    updateWatch();
}

void LiveReload::updateWatch()
{
    const bool wanted = option_.isChecked() && playerExists_;
    watcher_.watch(wanted ? QString::fromStdString(session_.currentFile()) : QString());
}

void LiveReload::reload(const QString& path)
{
    // The same two lines as a failed compile at Play: the file, then the
    // message with its line.
    QStringList failure;
    frontend::LoadedScore loaded =
        frontend::loadScore(path.toStdString(), session_.compileSwitches(),
                            [this, &failure](const std::string& text, const std::string& name) {
                                for (const std::string& line : {"[" + name + "]", text}) {
                                    failure.append(QString::fromStdString(line));
                                    form_.appendMessage(failure.back());
                                }
                            });
    if (!loaded.image) {
        if (!failure.isEmpty()) unresolved_ = failure;
        return;
    }
    if (!switchImage_(std::move(*loaded.image))) return;
    form_.markResolved(unresolved_);
    unresolved_.clear();
    form_.appendMessage("[" + path + "] reloaded");
}

} // namespace zemfe

#include "live_reload.h"

#include <QAction>

namespace zemfe {

LiveReload::LiveReload(frontend::Session& session, QAction& option, frontend::Session::TakeImage take)
    : session_(session), option_(option), take_(std::move(take))
{
    option_.setChecked(session_.reloadOnChange());
    connect(&option_, &QAction::toggled, this, &LiveReload::optionToggled);
    connect(&watcher_, &ScoreWatcher::changed, this, [this] { session_.reload(take_); });
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

} // namespace zemfe

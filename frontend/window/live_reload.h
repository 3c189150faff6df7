// "Reload on change": while a piece is played, its file is watched; a
// changed score is compiled at once and, when it compiles, handed over to
// replace the playing image; when it does not, the old image plays on and
// the compiler's message, with its line, goes to the message pane.  A
// successful switch writes "[file] reloaded" and shows the message of the
// failed reload before it as resolved.
#pragma once

#include "score_watcher.h"

#include "frontend/session.h"

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QAction;

namespace zemfe {

class MainForm;

class LiveReload : public QObject {
    Q_OBJECT
public:
    // Takes the new image of the playing piece; false when it was refused.
    using SwitchImage = std::function<bool(std::vector<uint8_t> image)>;

    // option: the check item; its state is kept in the session's settings.
    // switchImage null: the session's switch, which goes on at the playing
    // position and leaves the reason of a refusal in the message pane.
    LiveReload(MainForm& form, frontend::Session& session, QAction& option, SwitchImage switchImage);

    // Watches the piece while a player exists and the option is on.
    void follow(const frontend::Snapshot& snapshot);

private:
    void reload(const QString& path);
    void optionToggled(bool on);
    void updateWatch();

    MainForm& form_;
    frontend::Session& session_;
    QAction& option_;
    SwitchImage switchImage_;
    ScoreWatcher watcher_;
    bool playerExists_ = false;
    QStringList unresolved_; // the pane lines of the last failed reload
};

} // namespace zemfe

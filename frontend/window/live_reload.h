// "Reload on change": while a piece is played, its file is watched; a
// changed score goes to the session's live reload, which compiles it at
// once and, when it compiles, replaces the playing image; when it does not,
// the old image plays on and the compiler's message, with its line, goes
// to the message pane.  The session reports both; the pane shows them.
#pragma once

#include "score_watcher.h"

#include "frontend/session.h"

#include <QObject>

class QAction;

namespace zemfe {

class LiveReload : public QObject {
    Q_OBJECT
public:
    // option: the check item; its state is kept in the session's settings.
    // take null: the session's switch, which goes on at the playing
    // position and reports a refusal.
    LiveReload(frontend::Session& session, QAction& option, frontend::Session::TakeImage take);

    // Watches the piece while a player exists and the option is on.
    void follow(const frontend::Snapshot& snapshot);

private:
    void optionToggled(bool on);
    void updateWatch();

    frontend::Session& session_;
    QAction& option_;
    frontend::Session::TakeImage take_;
    ScoreWatcher watcher_;
    bool playerExists_ = false;
};

} // namespace zemfe

// The message pane (PlayMemo) fed with the session's messages: each one
// shown as its designed lines.  When a live reload is taken, the lines of
// the failed reload before it are shown as resolved.
#pragma once

#include "main_form.h"

#include "frontend/messages.h"

#include <QStringList>

#include <cstdint>

namespace zemfe {

class MessagePane {
public:
    explicit MessagePane(MainForm& form) : form_(form) {}

    void show(const frontend::MessageBatch& batch);

private:
    void show(const frontend::Message& message);

    MainForm& form_;
    uint32_t failedReload_ = 0; // the reload the unresolved lines came from
    QStringList unresolved_;
};

} // namespace zemfe

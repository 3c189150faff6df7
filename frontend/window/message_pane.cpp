#include "message_pane.h"

#include <variant>

namespace zemfe {

void MessagePane::show(const frontend::MessageBatch& batch)
{
    if (batch.cleared) {
        form_.clearMessages();
        unresolved_.clear();
        failedReload_ = 0;
    }
    for (const frontend::Message& message : batch.messages) show(message);
}

void MessagePane::show(const frontend::Message& message)
{
    QStringList lines;
    for (const std::string& line : frontend::paneLines(message)) lines.append(QString::fromStdString(line));
    if (std::holds_alternative<frontend::ReloadDone>(message)) {
        form_.markResolved(unresolved_);
        unresolved_.clear();
        failedReload_ = 0;
    }
    const auto* compile = std::get_if<frontend::CompileMessage>(&message);
    if (compile && compile->reload != 0) {
        if (compile->reload != failedReload_) unresolved_.clear();
        failedReload_ = compile->reload;
        unresolved_ += lines;
    }
    for (const QString& line : lines) form_.appendMessage(line);
}

} // namespace zemfe

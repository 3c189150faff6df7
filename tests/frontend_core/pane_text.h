// The message pane's lines of what the session reported, for comparing
// with the designed texts.
#pragma once

#include "frontend/messages.h"

#include <string>
#include <vector>

namespace frontend_test {

inline void appendPaneLines(std::vector<std::string>& pane, const frontend::Message& message)
{
    for (std::string& line : frontend::paneLines(message)) pane.push_back(std::move(line));
}

inline std::vector<std::string> paneLines(const frontend::MessageBatch& batch)
{
    std::vector<std::string> pane;
    for (const frontend::Message& message : batch.messages) appendPaneLines(pane, message);
    return pane;
}

} // namespace frontend_test

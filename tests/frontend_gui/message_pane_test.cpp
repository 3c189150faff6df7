// The message pane shows each message as its lines; a reload that is taken
// strikes out the lines of the last failed reload before it, and only them.
#include "gui_toolkit.h"

#include <main_form.h>
#include <message_pane.h>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include <string>
#include <vector>

namespace {

using frontend::CompileMessage;
using frontend::MessageBatch;

class MessagePaneTest : public testing::Test, zemfe_test::WithApplication {
protected:
    // Each block of the pane: its text, and "~" before it when struck out.
    std::vector<std::string> shown()
    {
        std::vector<std::string> blocks;
        const QTextDocument* document = zemfe_test::control<QPlainTextEdit>(form, "PlayMemo")->document();
        for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
            if (b.text().isEmpty() && document->blockCount() == 1) break;
            const bool struck = b.begin().fragment().charFormat().fontStrikeOut();
            blocks.push_back((struck ? "~" : "") + b.text().toStdString());
        }
        return blocks;
    }

    zemfe::MainForm form;
    zemfe::MessagePane pane{form};
};

const CompileMessage kPlayError{"s.kvt", 1, 1, "Syntax error in 1.", 0};
CompileMessage reloadError(uint32_t reload, const char* text) { return {"s.kvt", 2, 3, text, reload}; }
const frontend::ReloadDone kDone{"s.kvt"};

TEST_F(MessagePaneTest, ATakenReloadResolvesTheLastFailedOne)
{
    const struct {
        const char* what;
        std::vector<MessageBatch> batches;
        std::vector<std::string> shown;
    } cases[] = {
        {"one failure, then taken",
         {{false, {reloadError(1, "A in 2.")}}, {false, {kDone}}},
         {"~[s.kvt]", "~A in 2.", "[s.kvt] reloaded"}},
        {"two failures: only the last is resolved",
         {{false, {reloadError(1, "A in 2.")}}, {false, {reloadError(2, "B in 2.")}}, {false, {kDone}}},
         {"[s.kvt]", "A in 2.", "~[s.kvt]", "~B in 2.", "[s.kvt] reloaded"}},
        {"a failure and its resolution in one batch, the song's text between",
         {{false, {reloadError(4, "A in 2."), frontend::SongText{"Verse"}, kDone}}},
         {"~[s.kvt]", "~A in 2.", "Verse", "[s.kvt] reloaded"}},
        {"a play's compile message is no failed reload",
         {{false, {kPlayError}}, {false, {kDone}}},
         {"[s.kvt]", "Syntax error in 1.", "[s.kvt] reloaded"}},
        {"resolved once: a second reload strikes nothing more",
         {{false, {reloadError(1, "A in 2."), kDone}}, {false, {kPlayError, kDone}}},
         {"~[s.kvt]", "~A in 2.", "[s.kvt] reloaded", "[s.kvt]", "Syntax error in 1.", "[s.kvt] reloaded"}},
        {"a stop clears the pane and what was unresolved",
         {{false, {reloadError(1, "A in 2.")}}, {true, {frontend::PortOpened{0, "Synth"}}}, {false, {kDone}}},
         {"Dev00: Synth", "[s.kvt] reloaded"}},
    };
    for (const auto& c : cases) {
        pane.show(MessageBatch{true, {}});
        for (const MessageBatch& batch : c.batches) pane.show(batch);
        EXPECT_EQ(shown(), c.shown) << c.what;
    }
}

} // namespace

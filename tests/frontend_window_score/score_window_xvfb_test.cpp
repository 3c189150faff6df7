// The score window on a real X server (Xvfb): the main form's "Score" item
// opens it beside the form, and it marks the demo's commands as a recorded
// source plays them.  Pictures of the window and of the screen with both
// windows are left in the build's out folder.
#include "recorded_source.h"

#include <gui_toolkit.h>
#include <main_form.h>
#include <score_menu.h>
#include <score_window.h>
#include <temp_dir.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

QString screenshotPath(const char* name)
{
    QDir().mkpath(ZEMFE_SCREENSHOT_DIR);
    return QString(ZEMFE_SCREENSHOT_DIR) + "/" + name;
}

// The first line at or after `from` that starts with `text`, from 1.
uint32_t lineStarting(const std::string& score, const std::string& text, uint32_t from)
{
    uint32_t line = 1;
    for (size_t start = 0; start < score.size(); ++line) {
        const size_t end = std::min(score.find('\n', start), score.size());
        if (line >= from && score.compare(start, text.size(), text) == 0) return line;
        start = end + 1;
    }
    return 0;
}

// Each track's first command on `line`, or else its command `fallback`:
// the drum tracks play in view, the others elsewhere in the text.
std::vector<frontend::TrackPlace> demoFrame(const std::map<uint8_t, std::vector<kvt::SourceRange>>& commands,
                                            const std::map<uint8_t, uint32_t>& lines, size_t fallback)
{
    std::vector<frontend::TrackPlace> places;
    for (const auto& [track, ranges] : commands) {
        kvt::SourceRange chosen = ranges[std::min(fallback, ranges.size() - 1)];
        const auto wanted = lines.find(track);
        for (const kvt::SourceRange& range : ranges)
            if (wanted != lines.end() && range.line == wanted->second) {
                chosen = range;
                break;
            }
        places.push_back(score_test::place(track, chosen));
    }
    return places;
}

class ScoreWindowXvfbTest : public testing::Test, zemfe_test::WithApplication {
protected:
    zem_test::TempDir dir;
    score_test::RecordedSource source;
};

TEST_F(ScoreWindowXvfbTest, ScoreItemOpensTheWindowBesideTheFormMarkingTheDemosCommands)
{
    ASSERT_EQ(QApplication::platformName(), "xcb");
    const std::string demo = zem_test::readFile(std::string(ZEM_SOURCE_DIR) + "/examples/demo.kvt");
    dir.write("demo.kvt", demo);
    const auto commands = score_test::soundingCommands(demo);
    const uint32_t drums = lineStarting(demo, "#9", 1);
    const std::map<uint8_t, uint32_t> lines = {
        {9, lineStarting(demo, "  [7 U110 c4", drums)},
        {10, lineStarting(demo, "U50 [8 f+8", drums)},
    };
    ASSERT_NE(lines.at(9), 0u);
    ASSERT_NE(lines.at(10), 0u);
    frontend::FollowFrame frame;
    frame.image = 1;
    frame.file = dir.file("demo.kvt");
    frame.playing = true;
    for (size_t step = 0; step < 3; ++step) {
        frame.tracks = demoFrame(commands, lines, 30 + step);
        source.frames.push_back(frame);
    }

    zemfe::MainForm form;
    form.move(16, 16);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    zemfe::ScoreWindow& window = zemfe::connectScoreWindow(form, source);
    zemfe_test::control<QAction>(form, "Score1")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    const QRect main = form.frameGeometry();
    const QRect score = window.frameGeometry();
    EXPECT_FALSE(score.intersects(main));
    EXPECT_GT(score.left(), main.right());
    EXPECT_LT(score.left() - main.right(), 40);
    EXPECT_EQ(score.top(), main.top());

    // The user scrolls to the drums, then lets the window follow again: it
    // keeps to a track in view.
    zemfe::ScoreView& view = window.view();
    view.verticalScrollBar()->setValue(int(drums) - 1);
    EXPECT_FALSE(window.followAction().isChecked());
    window.followAction().setChecked(true);
    for (size_t step = 1; step < source.frames.size(); ++step) {
        source.current = step;
        QTest::qWait(3 * zemfe::ScoreWindow::kFrameMs);
    }
    EXPECT_EQ(view.verticalScrollBar()->value(), int(drums) - 1);
    int marked = 0;
    for (const QTextEdit::ExtraSelection& selection : view.extraSelections())
        marked += view.isInView({uint32_t(selection.cursor.block().blockNumber() + 1), 1, 1});
    EXPECT_EQ(marked, 2) << "both drum tracks in view";

    EXPECT_TRUE(window.grab().save(screenshotPath("zemfe_score.png")));
    EXPECT_TRUE(window.screen()->grabWindow(0).save(screenshotPath("zemfe_score_beside.png")));

    // Closing the main form ends the program, the score window open or not.
    ASSERT_TRUE(window.isVisible());
    QTimer::singleShot(100, &form, &QWidget::close);
    QTimer::singleShot(3000, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace

// The player on a real X server (Xvfb), as users run it: the window plays
// the demo through the recording device and closes with exit status 0; the
// built zemfe starts, refuses a second instance and ends cleanly on SIGTERM.
// Screenshots of the playing window and of the device dialog are left in
// the build's out folder.
#include "player_fixture.h"

#include <run_program.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <set>

namespace {

using zemfe_test::control;

QString screenshotPath(const char* name)
{
    QDir().mkpath(ZEMFE_SCREENSHOT_DIR);
    return QString(ZEMFE_SCREENSHOT_DIR) + "/" + name;
}

class WindowXvfbTest : public zemfe_test::PlayerFixture {
protected:
    QProcess* startProgram(const QStringList& args)
    {
        auto* process = new QProcess();
        process->setProgram(QString(ZEM_BIN_DIR) + "/zemfe");
        process->setArguments(args);
        process->setWorkingDirectory(QString::fromStdString(dir.path()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        process->setProcessEnvironment(env);
        process->start();
        process->waitForStarted();
        return process;
    }
};

TEST_F(WindowXvfbTest, WindowPlaysTheDemoAndClosesWithStatusZero)
{
    ASSERT_EQ(QApplication::platformName(), "xcb");
    ASSERT_TRUE(start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    dropFiles({QString::fromStdString(example("demo.kvt"))});
    click(zemfe::MediaButton::Play);
    settle(1500);
    EXPECT_GT(zemfe_test::countNoteOns(recorded()), 0);
    EXPECT_TRUE(form->grab().save(screenshotPath("zemfe_playing.png")));

    // The score window follows the session: what it marks are the commands
    // the session says are heard.
    control<QAction>(*form, "Score1")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window->score));
    settle(300);
    std::set<int> heardLines;
    for (const frontend::TrackPlace& place : session->followFrame().tracks)
        if (place.command.line != 0 && !place.ended) heardLines.insert(int(place.command.line));
    int marksOnHeardLines = 0;
    const QList<QTextEdit::ExtraSelection> marks = window->score.view().extraSelections();
    for (const QTextEdit::ExtraSelection& mark : marks)
        marksOnHeardLines += heardLines.count(mark.cursor.block().blockNumber() + 1) != 0;
    EXPECT_FALSE(marks.isEmpty());
    EXPECT_GT(marksOnHeardLines, 0) << "marks follow the session's frames";
    EXPECT_TRUE(window->score.grab().save(screenshotPath("zemfe_score_playing.png")));

    click(zemfe::MediaButton::Stop);
    controller->refresh();
    bool dialogSeen = false;
    QTimer::singleShot(200, [&dialogSeen] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        dialogSeen = dialog->objectName() == "TDevF";
        EXPECT_TRUE(dialog->grab().save(screenshotPath("zemfe_devices.png")));
        dialog->close();
    });
    control<QAction>(*form, "Device1")->trigger();
    EXPECT_TRUE(dialogSeen);

    QTimer::singleShot(100, form, &QWidget::close);
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(WindowXvfbTest, ProgramRunsOnceAndEndsCleanlyOnTermination)
{
    const std::string song = example("scale.kvt");
    std::unique_ptr<QProcess> first(startProgram({QString::fromStdString(song)}));
    QTest::qWait(1500);
    ASSERT_EQ(first->state(), QProcess::Running) << first->readAllStandardError().toStdString();

    std::unique_ptr<QProcess> second(startProgram({}));
    ASSERT_TRUE(second->waitForFinished(5000));
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_TRUE(second->readAllStandardError().isEmpty());

    first->terminate();
    ASSERT_TRUE(first->waitForFinished(5000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0) << first->readAllStandardError().toStdString();
    EXPECT_NE(settingsText().find("StrBufSize=200"), std::string::npos);
}

TEST_F(WindowXvfbTest, WithoutADisplayProgramAnswersHelpAndVersionAndRefusesToStart)
{
    struct Case {
        const char* word;
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"--version", 0, "ZEMPLAY frontend V0.47\n", ""},
        {"--help", 0, "usage: zemfe [file]\n", ""},
        {"song.kvt", 1, "", "Tarn Debugger: cannot open a window: no display\n"},
    };
    for (const Case& c : cases) {
        const zem_test::RunResult run =
            zem_test::runProgram("zemfe", {c.word}, dir.path(), {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
        EXPECT_EQ(run.status, c.status) << c.word;
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << c.word << ": " << run.out;
        EXPECT_EQ(run.err, c.err) << c.word;
    }
}

} // namespace

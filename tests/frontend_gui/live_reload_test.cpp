// Live reload while a score plays: a changed note is compiled and taken at
// once, a syntax error leaves the old image playing and names its line, the
// fix is taken again; with the option off nothing is reloaded.
#include "player_fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using zemfe::MediaButton;
using zemfe_test::control;

// Four bars of c (key 60) on a loop long enough to play through the test.
std::string score(const std::string& firstNote) { return ":0 @1 o4 l8 " + firstNote + " c c c [40 c c c c c c c c]\n"; }

class LiveReloadTest : public zemfe_test::PlayerFixture {
protected:
    void startTaking()
    {
        ASSERT_TRUE(start([this](std::vector<uint8_t> image) { taken.push_back(std::move(image)); }));
        song = dir.file("song.kvt");
        dir.write("song.kvt", score("c"));
        dropFiles({QString::fromStdString(song)});
        click(MediaButton::Play);
        settle(300);
    }

    void save(const std::string& text)
    {
        // Saved by rename, as many editors do.
        dir.write("song.kvt.new", text);
        ASSERT_EQ(std::rename(dir.file("song.kvt.new").c_str(), song.c_str()), 0);
        settle(250);
    }

    QString memo() { return control<QPlainTextEdit>(*form, "PlayMemo")->toPlainText(); }

    std::string song;
    std::vector<std::vector<uint8_t>> taken;
};

TEST_F(LiveReloadTest, ChangesAreTakenErrorsKeepTheOldImageAndShowTheirLine)
{
    startTaking();
    ASSERT_EQ(session->snapshot().state, frontend::PlayerState::Playing);
    struct Case {
        const char* what;
        std::string text;
        size_t taken;
        bool errorShown;
    };
    const Case cases[] = {
        {"one note changed", score("g"), 1, false},
        {"a syntax error", ":0 @1 o4 l8 g c c (\n", 1, true},
        {"the error fixed", score("e"), 2, false},
        {"saved unchanged", score("e"), 2, false},
    };
    for (const Case& c : cases) {
        const int notesBefore = zemfe_test::countNoteOns(recorded());
        control<QPlainTextEdit>(*form, "PlayMemo")->clear();
        save(c.text);
        EXPECT_EQ(taken.size(), c.taken) << c.what;
        EXPECT_EQ(session->snapshot().state, frontend::PlayerState::Playing) << c.what;
        // The old image went on sounding meanwhile.
        EXPECT_GT(zemfe_test::countNoteOns(recorded()), notesBefore) << c.what;
        const QString shown = memo();
        EXPECT_EQ(shown.contains(QString::fromStdString("[" + song + "]")), c.errorShown) << c.what;
        EXPECT_EQ(shown.contains(" in 1."), c.errorShown) << c.what << ": " << shown.toStdString();
    }
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_NE(taken[0], taken[1]);
}

TEST_F(LiveReloadTest, OptionOffReloadsNothingAndIsRemembered)
{
    startTaking();
    control<QAction>(*form, "A_ReloadOnChange")->setChecked(false);
    EXPECT_NE(settingsText().find("ReloadOnChange=0"), std::string::npos) << settingsText();
    save(score("g"));
    EXPECT_TRUE(taken.empty());
    control<QAction>(*form, "A_ReloadOnChange")->setChecked(true);
    save(score("a"));
    EXPECT_EQ(taken.size(), 1u);
    ASSERT_TRUE(start());
    EXPECT_TRUE(control<QAction>(*form, "A_ReloadOnChange")->isChecked());
}

TEST_F(LiveReloadTest, NothingIsWatchedWithoutAPlayer)
{
    startTaking();
    click(MediaButton::Stop);
    settle(50);
    save(score("g"));
    EXPECT_TRUE(taken.empty());
    click(MediaButton::Play);
    settle(100);
    save(score("a"));
    EXPECT_EQ(taken.size(), 1u);
}

// In zemfe a reload restarts the changed piece: the new first note (g, key
// 67 = 43 hexadecimal) sounds soon after the save.
TEST_F(LiveReloadTest, TheChangedNoteSoundsSoonAfterTheSave)
{
    ASSERT_TRUE(start());
    song = dir.file("song.kvt");
    dir.write("song.kvt", score("c"));
    dropFiles({QString::fromStdString(song)});
    click(MediaButton::Play);
    settle(300);
    ASSERT_EQ(recorded().find(" 90 43 "), std::string::npos);
    QElapsedTimer sinceSave;
    dir.write("song.kvt.new", score("g"));
    ASSERT_EQ(std::rename(dir.file("song.kvt.new").c_str(), song.c_str()), 0);
    sinceSave.start();
    while (recorded().find(" 90 43 ") == std::string::npos && sinceSave.elapsed() < 2000) QTest::qWait(2);
    const qint64 heardAfter = sinceSave.elapsed();
    EXPECT_LT(heardAfter, 250) << "the new note came " << heardAfter << " ms after the save";
    std::printf("new note heard %lld ms after the save\n", static_cast<long long>(heardAfter));
}

} // namespace

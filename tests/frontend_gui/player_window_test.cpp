// The player window over a real session on the recording MIDI device: the
// state table through the buttons, captions of failures, drops, switches
// and the settings file, the device dialog's values, the displays.
#include "player_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>
#include <QWidget>

namespace {

using frontend::PlayerState;
using zemfe::MediaButton;
using zemfe_test::control;

const char* stateName(PlayerState state)
{
    switch (state) {
    case PlayerState::Empty: return "empty";
    case PlayerState::Selected: return "selected";
    case PlayerState::Playing: return "playing";
    case PlayerState::Paused: return "paused";
    }
    return "?";
}

// "m:ss.hh" back to milliseconds.
int shownMs(const QString& time)
{
    const QStringList parts = time.split(QRegularExpression("[:.]"));
    if (parts.size() != 3) return -1;
    return parts[0].toInt() * 60000 + parts[1].toInt() * 1000 + parts[2].toInt() * 10;
}

class PlayerWindowTest : public zemfe_test::PlayerFixture {
protected:
    void reach(PlayerState state, const std::string& file)
    {
        if (state == PlayerState::Empty) return;
        dropFiles({QString::fromStdString(file)});
        if (state == PlayerState::Selected) return;
        click(MediaButton::Play);
        if (state == PlayerState::Paused) click(MediaButton::Pause);
    }

    // What the window shows must be what the state table says.
    void expectWindowShows(PlayerState state, const std::string& file, const std::string& context)
    {
        controller->refresh();
        EXPECT_EQ(session->snapshot().state, state) << context;
        const QString caption = state == PlayerState::Empty ? QString(zemfe::kMainCaption)
                                                            : QString::fromStdString(file);
        EXPECT_EQ(form->windowTitle(), caption) << context;
        EXPECT_EQ(control<QWidget>(*form, "CtrlBtn")->isEnabled(), state != PlayerState::Empty) << context;
        const bool playerExists = state == PlayerState::Playing || state == PlayerState::Paused;
        EXPECT_EQ(control<QAction>(*form, "Device1")->isEnabled(), !playerExists) << context;
    }

    QString label(const char* name) { return control<QLabel>(*form, name)->text(); }
    QString memo() { return control<QPlainTextEdit>(*form, "PlayMemo")->toPlainText(); }
};

TEST_F(PlayerWindowTest, EveryButtonInEveryStateLeadsWhereTheTableSays)
{
    struct Case {
        PlayerState from;
        MediaButton button;
        PlayerState to;
    };
    const Case cases[] = {
        {PlayerState::Empty, MediaButton::Play, PlayerState::Empty},
        {PlayerState::Empty, MediaButton::Pause, PlayerState::Empty},
        {PlayerState::Empty, MediaButton::Stop, PlayerState::Empty},
        {PlayerState::Empty, MediaButton::Eject, PlayerState::Empty},
        {PlayerState::Selected, MediaButton::Play, PlayerState::Playing},
        {PlayerState::Selected, MediaButton::Pause, PlayerState::Selected},
        {PlayerState::Selected, MediaButton::Stop, PlayerState::Selected},
        {PlayerState::Selected, MediaButton::Eject, PlayerState::Empty},
        {PlayerState::Playing, MediaButton::Play, PlayerState::Playing},
        {PlayerState::Playing, MediaButton::Pause, PlayerState::Paused},
        {PlayerState::Playing, MediaButton::Stop, PlayerState::Selected},
        {PlayerState::Playing, MediaButton::Eject, PlayerState::Empty},
        {PlayerState::Paused, MediaButton::Play, PlayerState::Playing},
        {PlayerState::Paused, MediaButton::Pause, PlayerState::Playing},
        {PlayerState::Paused, MediaButton::Stop, PlayerState::Selected},
        {PlayerState::Paused, MediaButton::Eject, PlayerState::Empty},
    };
    const std::string song = example("demo.kvt");
    for (const Case& c : cases) {
        const std::string context = std::string(stateName(c.from)) + " -> " + stateName(c.to);
        ASSERT_TRUE(start());
        reach(c.from, song);
        expectWindowShows(c.from, song, context + " (before)");
        click(c.button);
        expectWindowShows(c.to, song, context);
    }
}

TEST_F(PlayerWindowTest, FailuresOfThePlayPathShowInTheCaption)
{
    struct Case {
        const char* name;
        const char* bytes; // null: the file does not exist
        const char* caption;
        const char* memoHas;
    };
    const Case cases[] = {
        {"missing.kvt", nullptr, "error:File cannot load", ""},
        {"broken.kvt", "c d e (", "KVT compile error", "/broken.kvt]\n"},
        {"broken.zem", "QORSZEM:not an image", "dp_const() failed", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(start());
        if (c.bytes) dir.write(c.name, c.bytes);
        dropFiles({QString::fromStdString(dir.file(c.name))});
        click(MediaButton::Play);
        controller->refresh();
        EXPECT_EQ(form->windowTitle(), c.caption) << c.name;
        EXPECT_TRUE(memo().contains(c.memoHas)) << c.name << ": " << memo().toStdString();
        EXPECT_TRUE(control<QWidget>(*form, "CtrlBtn")->isEnabled()) << c.name;
    }
}

TEST_F(PlayerWindowTest, OnlyADropOfOneFileSelectsAndItNeverPlays)
{
    ASSERT_TRUE(start());
    const std::string first = example("scale.kvt");
    const std::string second = example("chords.kvt");
    dropFiles({QString::fromStdString(first), QString::fromStdString(second)});
    expectWindowShows(PlayerState::Empty, "", "two files on an empty window");
    dropFiles({QString::fromStdString(first)});
    expectWindowShows(PlayerState::Selected, first, "one file");
    click(MediaButton::Play);
    dropFiles({QString::fromStdString(second), QString::fromStdString(first)});
    expectWindowShows(PlayerState::Playing, first, "two files while playing");
    dropFiles({QString::fromStdString(second)});
    expectWindowShows(PlayerState::Selected, second, "a new file stops the old one");
}

TEST_F(PlayerWindowTest, FirstRunWritesEveryKeyAndSwitchesAreStoredAtOnce)
{
    dir.write("zemfe.ini", "");
    ASSERT_TRUE(start());
    const std::string first = settingsText();
    for (const char* key : {"[Dev]", "MIDIDevs=16", "WAVE00=", "MIDI00=", "MIDI01=", "MIDI15=", "[ZEMC]", "Switch=0",
                            "[AUDSINK]", "StrBufSize=200", "[Option]", "ReloadOnChange=1"})
        EXPECT_NE(first.find(key), std::string::npos) << key << " in\n" << first;
    control<QCheckBox>(*form, "C_sw00")->click();
    control<QCheckBox>(*form, "C_sw02")->click();
    EXPECT_NE(settingsText().find("Switch=5"), std::string::npos) << settingsText();
    control<QCheckBox>(*form, "C_sw00")->click();
    EXPECT_NE(settingsText().find("Switch=4"), std::string::npos) << settingsText();
    ASSERT_TRUE(start());
    EXPECT_EQ(form->switches(), 4);
    EXPECT_TRUE(control<QCheckBox>(*form, "C_sw02")->isChecked());
}

TEST_F(PlayerWindowTest, DeviceDialogValuesReachTheSettingsFile)
{
    ASSERT_TRUE(start());
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(control<QSlider>(*dialog, "TB_Devs")->value(), 1);
        control<QSlider>(*dialog, "TB_Devs")->setValue(4);
        control<QSlider>(*dialog, "TB_StrBuf")->setValue(35);
        dialog->close();
    });
    control<QAction>(*form, "Device1")->trigger();
    const std::string written = settingsText();
    EXPECT_NE(written.find("MIDIDevs=4"), std::string::npos) << written;
    EXPECT_NE(written.find("StrBufSize=350"), std::string::npos) << written;
    EXPECT_NE(written.find("MIDI00=MIDI Recorder"), std::string::npos) << written;
    EXPECT_EQ(session->deviceSettings().portCount, 4);
}

TEST_F(PlayerWindowTest, PlayingShowsPortsTempoStepAndTime)
{
    ASSERT_TRUE(start());
    dropFiles({QString::fromStdString(example("demo.kvt"))});
    click(MediaButton::Play);
    settle(900);
    EXPECT_TRUE(memo().contains("Dev00: MIDI Recorder")) << memo().toStdString();
    EXPECT_GT(zemfe_test::countNoteOns(recorded()), 0);
    EXPECT_NE(label("L_Step"), "0:000:0000");
    EXPECT_GT(shownMs(label("L_Time")), 0) << label("L_Time").toStdString();
    EXPECT_FALSE(label("L_Tempo").isEmpty());
    EXPECT_FALSE(label("L_CSet").isEmpty());
    auto* title = control<QLabel>(*form, "L_Title");
    EXPECT_FALSE(title->text().isEmpty());
    EXPECT_EQ(title->toolTip(), title->text());
}

TEST_F(PlayerWindowTest, PauseHoldsTimeAndSoundAndRestartBeginsAgain)
{
    ASSERT_TRUE(start());
    dropFiles({QString::fromStdString(example("demo.kvt"))});
    click(MediaButton::Play);
    settle(700);
    click(MediaButton::Pause);
    settle(50);
    const int pausedAt = shownMs(label("L_Time"));
    const int notesAtPause = zemfe_test::countNoteOns(recorded());
    settle(500);
    EXPECT_EQ(shownMs(label("L_Time")), pausedAt);
    EXPECT_EQ(zemfe_test::countNoteOns(recorded()), notesAtPause);
    click(MediaButton::Pause);
    settle(100);
    // The pause itself is not counted: only the 100 ms since resuming.
    EXPECT_LT(shownMs(label("L_Time")), pausedAt + 300);
    EXPECT_GT(shownMs(label("L_Time")), pausedAt);
    click(MediaButton::Play);
    controller->refresh();
    EXPECT_LT(shownMs(label("L_Time")), pausedAt);
    EXPECT_TRUE(memo().contains("Dev00: MIDI Recorder"));
}

} // namespace

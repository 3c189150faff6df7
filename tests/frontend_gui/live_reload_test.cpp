// Live reload while a score plays: a changed note is compiled and taken at
// once, a syntax error leaves the old image playing and names its line, the
// fix is taken again; with the option off nothing is reloaded.
#include "player_fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

using zemfe::MediaButton;
using zemfe_test::control;

// Four bars of c (key 60) on a loop long enough to play through the test.
std::string score(const std::string& firstNote) { return ":0 @1 o4 l8 " + firstNote + " c c c [40 c c c c c c c c]\n"; }

class LiveReloadTest : public zemfe_test::PlayerFixture {
protected:
    void startTaking()
    {
        ASSERT_TRUE(start([this](std::vector<uint8_t> image) {
            taken.push_back(std::move(image));
            return true;
        }));
        play(score("c"), 300);
    }

    // The score dropped on the window and played for settleMs.
    void play(const std::string& text, int settleMs)
    {
        song = dir.file("song.kvt");
        dir.write("song.kvt", text);
        dropFiles({QString::fromStdString(song)});
        click(MediaButton::Play);
        settle(settleMs);
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
        bool reloadedShown;
        uint32_t underlinedColumn; // in the score window, on line 1; 0: nothing underlined
    };
    const Case cases[] = {
        {"one note changed", score("g"), 1, false, true, 0},
        {"a syntax error", ":0 @1 o4 l8 g c c (\n", 1, true, false, 19},
        {"the error fixed", score("e"), 2, false, true, 0},
        {"saved unchanged", score("e"), 2, false, false, 0},
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
        EXPECT_EQ(shown.contains(QString::fromStdString("[" + song + "]\n")), c.errorShown) << c.what;
        EXPECT_EQ(shown.contains(" in 1."), c.errorShown) << c.what << ": " << shown.toStdString();
        EXPECT_EQ(shown.endsWith(QString::fromStdString("[" + song + "] reloaded")), c.reloadedShown)
            << c.what << ": " << shown.toStdString();
        const std::vector<zemfe::ScoreError>& underlined = window->score.view().errors();
        EXPECT_EQ(underlined.size(), c.underlinedColumn ? 1u : 0u) << c.what;
        if (c.underlinedColumn && !underlined.empty()) {
            EXPECT_EQ(underlined[0].line, 1u) << c.what;
            EXPECT_EQ(underlined[0].column, c.underlinedColumn) << c.what;
        }
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

// A loop of eight eighth notes, 2 s at the default tempo; the edits change
// its last note.
std::string loopScore(const std::string& last) { return ":0 @1 o4 l8 [40 c c c c c c c " + last + "]\n"; }
constexpr double kNoteMs = 250;
constexpr int kNotesPerLoop = 8;
// The recorder sends when a pass produces the note (every 7 ms), and a
// note due during a switch comes when it ends.
constexpr double kToleranceMs = 60;
constexpr int kC = 0x3C, kE = 0x40, kG = 0x43;

struct NoteOn {
    double ms;
    int key;
};

// The recorder's note-ons on the first channel: "<microseconds> 90 kk vv".
std::vector<NoteOn> noteOns(const std::string& recording)
{
    std::vector<NoteOn> notes;
    std::istringstream lines(recording);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned long long us = 0;
        unsigned status = 0, key = 0, velocity = 0;
        if (std::sscanf(line.c_str(), "%llu %x %x %x", &us, &status, &key, &velocity) == 4 && status == 0x90 &&
            velocity != 0)
            notes.push_back({double(us) / 1000.0, int(key)});
    }
    return notes;
}

// The note's place in the loop, counted from the first note of the song.
// After a failed reload is fixed, the error's lines are struck through and
// one line says that the file was reloaded.
TEST_F(LiveReloadTest, AFixedErrorIsShownResolved)
{
    startTaking();
    control<QPlainTextEdit>(*form, "PlayMemo")->clear();
    save(":0 @1 o4 l8 g c c (\n");
    save(score("e"));
    ASSERT_EQ(taken.size(), 1u);
    const QTextDocument* pane = control<QPlainTextEdit>(*form, "PlayMemo")->document();
    const QString file = QString::fromStdString(song);
    const struct {
        QString text;
        bool struckOut;
    } expected[] = {
        {"[" + file + "]", true},
        {"Not have enough size in 1.", true},
        {"[" + file + "] reloaded", false},
    };
    ASSERT_EQ(pane->blockCount(), 3) << memo().toStdString();
    for (int i = 0; i < 3; ++i) {
        const QTextBlock block = pane->findBlockByNumber(i);
        EXPECT_EQ(block.text(), expected[i].text) << i;
        EXPECT_EQ(block.begin().fragment().charFormat().fontStrikeOut(), expected[i].struckOut) << i;
    }
}

int slotOf(const NoteOn& note, const NoteOn& first)
{
    return int(std::lround((note.ms - first.ms) / kNoteMs)) % kNotesPerLoop;
}

double offGrid(const NoteOn& note, const NoteOn& first)
{
    const double offset = note.ms - first.ms;
    return std::abs(offset - std::round(offset / kNoteMs) * kNoteMs);
}

// Through zemfe's own switch: the changed note sounds at its place in the
// loop, the old image plays on through a syntax error, every note stays on
// the song's grid (the position never jumps), and each switch is done
// within 100 ms of the save.
TEST_F(LiveReloadTest, EditsSoundInTheirPlaceWithoutAJump)
{
    QElapsedTimer sinceSave;
    std::vector<qint64> switchedAfter;
    ASSERT_TRUE(start([&](std::vector<uint8_t> image) {
        const bool switched = session->switchImage(std::move(image));
        if (switched) switchedAfter.push_back(sinceSave.elapsed());
        return switched;
    }));
    play(loopScore("c"), 600);
    const struct {
        const char* what;
        std::string text;
        int lastKey;
        size_t switches;
    } phases[] = {
        {"one note changed", loopScore("g"), kG, 1},
        {"a syntax error", ":0 @1 o4 l8 [40 c c (\n", kG, 1},
        {"the error fixed", loopScore("e"), kE, 2},
    };
    for (const auto& phase : phases) {
        const size_t from = noteOns(recorded()).size();
        const uint32_t elapsedBefore = session->snapshot().elapsedMs;
        dir.write("song.kvt.new", phase.text);
        sinceSave.start();
        ASSERT_EQ(std::rename(dir.file("song.kvt.new").c_str(), song.c_str()), 0);
        settle(2600);
        EXPECT_EQ(switchedAfter.size(), phase.switches) << phase.what;
        EXPECT_EQ(session->snapshot().state, frontend::PlayerState::Playing) << phase.what;
        const uint32_t elapsedGain = session->snapshot().elapsedMs - elapsedBefore;
        EXPECT_NEAR(double(elapsedGain), 2600.0, 300.0) << phase.what;
        // The last changed slot of the phase comes at least 500 ms after
        // the save, well after the switch.
        const std::vector<NoteOn> notes = noteOns(recorded());
        ASSERT_GT(notes.size(), from) << phase.what;
        int lastKey = -1;
        for (size_t i = from; i < notes.size(); ++i)
            if (slotOf(notes[i], notes[0]) == kNotesPerLoop - 1) lastKey = notes[i].key;
        EXPECT_EQ(lastKey, phase.lastKey) << phase.what;
    }
    const std::vector<NoteOn> notes = noteOns(recorded());
    // Every eighth of the song sounded once: none lost, none doubled.
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.size(), size_t(std::lround((notes.back().ms - notes[0].ms) / kNoteMs)) + 1);
    for (size_t i = 0; i < notes.size(); ++i) {
        EXPECT_LE(offGrid(notes[i], notes[0]), kToleranceMs) << "note " << i << " at " << notes[i].ms - notes[0].ms;
        if (slotOf(notes[i], notes[0]) != kNotesPerLoop - 1) {
            EXPECT_EQ(notes[i].key, kC) << "note " << i;
        }
        if (i > 0) {
            EXPECT_LE(notes[i].ms - notes[i - 1].ms, kNoteMs + kToleranceMs) << "gap before note " << i;
        }
    }
    for (qint64 ms : switchedAfter) {
        EXPECT_LT(ms, 100) << "switched " << ms << " ms after the save";
        std::printf("switched %lld ms after the save\n", static_cast<long long>(ms));
    }
}

} // namespace

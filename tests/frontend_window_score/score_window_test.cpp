// The score window driven by recorded follow frames: marks on the commands
// now sounding, colours from the compiler's tokens, following the playback,
// rereading the text for a new image, error underlines, plays from a place,
// the main form's item, and what a frame costs to show.
#include "recorded_source.h"

#include <gui_toolkit.h>
#include <main_form.h>
#include <score_menu.h>
#include <score_style.h>
#include <score_window.h>
#include <temp_dir.h>

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>

namespace {

using frontend::TrackPlace;
using score_test::place;

struct Mark {
    std::string text;
    QColor background;

    bool operator==(const Mark&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Mark& mark)
{
    return out << "'" << mark.text << "' " << mark.background.name().toStdString();
}

class ScoreWindowTest : public testing::Test, zemfe_test::WithApplication {
protected:
    ScoreWindowTest()
    {
        window.resize(600, 400);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Shows a frame of image `image` playing the score file `name`.
    void show(uint64_t image, const char* name, std::vector<TrackPlace> places, bool playing = true)
    {
        frontend::FollowFrame frame;
        frame.image = image;
        frame.file = dir.file(name);
        frame.playing = playing;
        frame.tracks = std::move(places);
        source.frames.push_back(std::move(frame));
        source.current = source.frames.size() - 1;
        window.refresh();
    }

    std::vector<Mark> sounding() const
    {
        std::vector<Mark> marks;
        for (const QTextEdit::ExtraSelection& selection : view().extraSelections())
            if (selection.format.underlineStyle() == QTextCharFormat::NoUnderline)
                marks.push_back({selection.cursor.selectedText().toStdString(), selection.format.background().color()});
        return marks;
    }

    std::vector<std::string> underlined() const
    {
        std::vector<std::string> texts;
        for (const QTextEdit::ExtraSelection& selection : view().extraSelections()) {
            if (selection.format.underlineStyle() != QTextCharFormat::WaveUnderline) continue;
            EXPECT_EQ(selection.format.underlineColor(), QColor(Qt::red));
            texts.push_back(selection.cursor.selectedText().toStdString());
        }
        return texts;
    }

    zemfe::ScoreView& view() const { return window.view(); }

    zem_test::TempDir dir;
    score_test::RecordedSource source;
    mutable zemfe::ScoreWindow window{source};
};

// Four tracks; track 3's line has a two-byte character before its note.
const char* const kFourTracks = "t120 #1 c4 d8. e8\n"
                                "#2 'ceg'2 r4\n"
                                "#3 ?1\"\xC3\xBC\" e4&\n"
                                "#10 o4 g1\n";

TEST_F(ScoreWindowTest, EachSoundingCommandIsMarkedInItsTracksColour)
{
    dir.write("song.kvt", kFourTracks);
    struct Case {
        bool playing;
        std::vector<TrackPlace> places;
        std::vector<Mark> marks;
    };
    using zemfe::trackColour;
    const Case cases[] = {
        {true, {place(1, {1, 9, 2}), place(2, {2, 4, 6})}, {{"c4", trackColour(1)}, {"'ceg'2", trackColour(2)}}},
        {true,
         {place(1, {1, 12, 3}), place(2, {2, 11, 2}), place(3, {3, 11, 3}), place(10, {4, 8, 2})},
         {{"d8.", trackColour(1)}, {"r4", trackColour(2)}, {"e4&", trackColour(3)}, {"g1", trackColour(10)}}},
        // An ended track, one that has run no command yet, two beyond the text.
        {true,
         {place(1, {1, 15, 2}, true), place(2, {2, 11, 2}), place(3, {0, 0, 0}), place(10, {9, 1, 2}),
          place(11, {2, 0xFFFFFFFF, 2})},
         {{"r4", trackColour(2)}}},
        {false, {place(2, {2, 11, 2})}, {}},
    };
    for (const Case& c : cases) {
        show(1, "song.kvt", c.places, c.playing);
        EXPECT_EQ(sounding(), c.marks) << "frame " << &c - cases;
    }
    for (uint8_t a : {1, 2, 3, 10}) {
        for (uint8_t b : {1, 2, 3, 10}) {
            if (a == b) continue;
            EXPECT_NE(zemfe::trackColour(a), zemfe::trackColour(b)) << int(a) << " " << int(b);
        }
    }
}

TEST_F(ScoreWindowTest, TextIsColouredByTheCompilersTokens)
{
    dir.write("song.kvt", "t120 c+4. /note\n?1\"a\nb\" {0102}\n");
    show(1, "song.kvt", {});
    struct Case {
        int line;
        int column;
        kvt::TokenKind kind;
    };
    const Case cases[] = {
        {0, 0, kvt::TokenKind::Command}, {0, 2, kvt::TokenKind::Number}, {0, 5, kvt::TokenKind::Note},
        {0, 6, kvt::TokenKind::Note},    {0, 7, kvt::TokenKind::Length}, {0, 12, kvt::TokenKind::Comment},
        {1, 2, kvt::TokenKind::Text},    {2, 0, kvt::TokenKind::Text},   {2, 4, kvt::TokenKind::HexBlock},
    };
    for (const Case& c : cases) {
        const QTextBlock block = view().document()->findBlockByNumber(c.line);
        QTextCharFormat found;
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (c.column >= range.start && c.column < range.start + range.length) found = range.format;
        const QTextCharFormat wanted = zemfe::tokenFormat(c.kind);
        EXPECT_EQ(found.foreground().color(), wanted.foreground().color()) << c.line << ":" << c.column;
        EXPECT_EQ(found.fontWeight(), wanted.fontWeight()) << c.line << ":" << c.column;
    }
}

TEST_F(ScoreWindowTest, FollowScrollsWithThePlaybackUntilTheUserScrollsAway)
{
    std::string text;
    for (int i = 0; i < 400; ++i) text += "c4 d4 e4\n";
    dir.write("long.kvt", text);
    enum class Act { None, ScrollBar, Resize, PageDown, FollowOn };
    struct Step {
        uint32_t line;
        Act act;
        bool following;
        bool inView;
    };
    const Step steps[] = {
        {300, Act::None, true, true},     {320, Act::Resize, true, true},   {330, Act::ScrollBar, false, false},
        {350, Act::None, false, false},   {360, Act::FollowOn, true, true}, {380, Act::PageDown, false, false},
        {390, Act::FollowOn, true, true}, {40, Act::None, true, true},
    };
    for (const Step& s : steps) {
        switch (s.act) {
        case Act::None: break;
        case Act::ScrollBar: view().verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum); break;
        case Act::Resize: window.resize(620, 300); break;
        case Act::PageDown: QTest::keyClick(&view(), Qt::Key_PageDown); break;
        case Act::FollowOn: window.followAction().setChecked(true); break;
        }
        const kvt::SourceRange range{s.line, 4, 2};
        show(1, "long.kvt", {place(1, range)});
        EXPECT_EQ(window.followAction().isChecked(), s.following) << s.line;
        EXPECT_EQ(view().isInView(range), s.inView) << s.line;
    }
}

TEST_F(ScoreWindowTest, NewImageRereadsTheTextAndEndsItsErrors)
{
    struct Step {
        uint64_t image;
        const char* fileText; // written before the frame; null: unchanged
        kvt::SourceRange range;
        const char* shown;
        int markedLine; // 0-based block of the mark
    };
    const Step steps[] = {
        {1, "c4 d4\n", {1, 4, 2}, "c4 d4\n", 0},
        // The same image: the text its ranges point into stays.
        {1, "/ added\nc4 d4\n", {1, 4, 2}, "c4 d4\n", 0},
        {2, nullptr, {2, 4, 2}, "/ added\nc4 d4\n", 1},
        {3, "/ one\n/ two\nc4 d4\n", {3, 4, 2}, "/ one\n/ two\nc4 d4\n", 2},
    };
    for (const Step& s : steps) {
        if (s.fileText) dir.write("song.kvt", s.fileText);
        show(s.image, "song.kvt", {place(1, s.range)});
        EXPECT_EQ(view().toPlainText().toStdString(), s.shown) << s.image;
        ASSERT_EQ(sounding().size(), 1u) << s.image;
        EXPECT_EQ(sounding()[0].text, "d4");
        EXPECT_EQ(view().extraSelections()[0].cursor.block().blockNumber(), s.markedLine) << s.image;
    }
    window.showError(1, 1, "Syntax error in 1.");
    EXPECT_EQ(underlined(), std::vector<std::string>{"/ one"});
    show(4, "song.kvt", {place(1, {3, 4, 2})});
    EXPECT_EQ(window.windowTitle(), "Score - song.kvt");
    EXPECT_TRUE(underlined().empty()) << "a new image ends the errors of the last compile";
}

TEST_F(ScoreWindowTest, AScoreThatCannotBeReadShowsNothingAndNeverWaits)
{
    dir.write("song.kvt", "c4 d4\n");
    show(1, "song.kvt", {place(1, {1, 4, 2})});
    ASSERT_EQ(::mkfifo(dir.file("pipe.kvt").c_str(), 0600), 0);
    const std::pair<uint64_t, const char*> images[] = {{2, "pipe.kvt"}, {3, "missing.kvt"}};
    for (const auto& [image, name] : images) {
        show(image, name, {place(1, {1, 4, 2})});
        EXPECT_EQ(view().toPlainText(), "") << name;
        EXPECT_TRUE(sounding().empty()) << name;
    }
}

TEST_F(ScoreWindowTest, ANewVersionOfTheScoreKeepsTheUsersPlaceAnotherScoreStartsAtTheTop)
{
    std::string text;
    for (int i = 0; i < 400; ++i) text += "c4 d4 e4\n";
    dir.write("song.kvt", text);
    dir.write("other.kvt", text);
    show(1, "song.kvt", {});
    QTextCursor cursor(view().document()->findBlockByNumber(120));
    view().setTextCursor(cursor);
    view().verticalScrollBar()->setValue(100);
    struct Step {
        uint64_t image;
        const char* file;
        int top;
        int cursorLine;
    };
    const Step steps[] = {{2, "song.kvt", 100, 120}, {3, "other.kvt", 0, 0}};
    for (const Step& s : steps) {
        dir.write(s.file, "/ edited\n" + text);
        show(s.image, s.file, {});
        EXPECT_EQ(view().verticalScrollBar()->value(), s.top) << s.file;
        EXPECT_EQ(view().textCursor().blockNumber(), s.cursorLine) << s.file;
    }
    // The place was not the user's scrolling.
    view().verticalScrollBar()->setValue(50);
    window.followAction().setChecked(true);
    dir.write("other.kvt", "/ again\n" + text);
    show(4, "other.kvt", {});
    EXPECT_TRUE(window.followAction().isChecked());
    EXPECT_EQ(view().verticalScrollBar()->value(), 50);
}

TEST_F(ScoreWindowTest, ErrorsAreUnderlinedFromTheirColumnToTheEndOfTheToken)
{
    dir.write("song.kvt", "t120 c+4.\n\n");
    show(1, "song.kvt", {});
    struct Case {
        uint32_t line;
        uint32_t column;
        std::vector<std::string> underlined;
    };
    const Case cases[] = {
        {1, 1, {"t"}}, {1, 2, {"120"}},       {1, 3, {"20"}}, {1, 5, {" "}},          {1, 6, {"c+"}},
        {1, 7, {"+"}}, {1, 0, {"t120 c+4."}}, {1, 99, {"."}}, {1, 0xFFFFFFFF, {"."}}, {7, 1, {}},
    };
    auto* status = zemfe_test::control<QLabel>(window, "ScoreErrors");
    for (const Case& c : cases) {
        window.clearErrors();
        EXPECT_TRUE(status->isHidden());
        window.showError(c.line, c.column, "Syntax error");
        EXPECT_EQ(underlined(), c.underlined) << c.line << ":" << c.column;
        EXPECT_FALSE(status->isHidden());
        EXPECT_EQ(status->text(), QString("%1:%2 Syntax error").arg(c.line).arg(c.column));
    }
    // The message shows where it is underlined.
    window.clearErrors();
    window.showError(1, 6, "Syntax error");
    const QPoint at = view().cursorRect(view().extraSelections().front().cursor).center();
    QHelpEvent help(QEvent::ToolTip, at, view().viewport()->mapToGlobal(at));
    QApplication::sendEvent(view().viewport(), &help);
    EXPECT_EQ(QToolTip::text(), "Syntax error");

    // The message is about the file as it is now: an edit is shown with it.
    dir.write("song.kvt", "/ new\nt120 c+4.\n");
    window.clearErrors();
    window.showError(2, 6, "Syntax error");
    EXPECT_EQ(view().toPlainText(), "/ new\nt120 c+4.\n");
    EXPECT_EQ(underlined(), std::vector<std::string>{"c+"});
}

TEST_F(ScoreWindowTest, APlayFromAPlaceAsksForTheCommandThere)
{
    dir.write("song.kvt", "t120  c+4.  'ceg'2,8\n#3 ?1\"\xC3\xBC\" e4\n");
    show(1, "song.kvt", {});
    struct Case {
        int line; // from 1
        int charIndex;
        zemfe::SourcePlace place;
    };
    const Case cases[] = {
        {1, 0, {1, 1}},  {1, 2, {1, 1}},   // a parameter belongs to its command
        {1, 4, {1, 7}},                    // a blank: the next command
        {1, 8, {1, 7}},  {1, 14, {1, 15}}, // a note inside a chord is a command
        {1, 20, {1, 0}},                   // after the line's end: its first command
        {2, 9, {2, 11}}, {2, 10, {2, 11}}, // columns count bytes
    };
    QTextDocument& document = *view().document();
    for (const Case& c : cases) {
        const zemfe::SourcePlace got =
            view().startPlace(document.findBlockByNumber(c.line - 1).position() + c.charIndex);
        EXPECT_EQ(got.line, c.place.line) << c.line << ":" << c.charIndex;
        EXPECT_EQ(got.column, c.place.column) << c.line << ":" << c.charIndex;
    }

    QTextCursor at(document.findBlockByNumber(0));
    at.setPosition(at.position() + 7);
    QTest::mouseDClick(view().viewport(), Qt::LeftButton, {}, view().cursorRect(at).center());
    at.setPosition(document.findBlockByNumber(1).position() + 10);
    view().setTextCursor(at);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&view(), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(source.starts.size(), 2u);
    const std::pair<uint32_t, uint32_t> wanted[] = {{1, 7}, {2, 11}};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(source.starts[i].kind, frontend::StartPoint::Kind::Source);
        EXPECT_EQ(source.starts[i].line, wanted[i].first);
        EXPECT_EQ(source.starts[i].column, wanted[i].second);
        EXPECT_EQ(source.starts[i].track, -1);
    }
}

TEST_F(ScoreWindowTest, ScoreItemOfTheMainFormOpensTheWindowOnceConnected)
{
    zemfe::MainForm form;
    auto* item = zemfe_test::control<QAction>(form, "Score1");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "&Score");
    EXPECT_EQ(item->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_FALSE(item->isEnabled());
    zemfe::ScoreWindow& opened = zemfe::connectScoreWindow(form, source);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(opened.isVisible());
    item->trigger();
    EXPECT_TRUE(opened.isVisible());
    opened.close();
    item->trigger();
    EXPECT_TRUE(opened.isVisible());
}

// A source whose frames change on the clock, every kStepMs: what a playing
// session looks like to the window.
class TimedSource : public frontend::FollowSource {
public:
    static constexpr int kStepMs = 45;

    TimedSource(std::string file, std::vector<kvt::SourceRange> ranges)
        : file_(std::move(file)), ranges_(std::move(ranges)), start_(std::chrono::steady_clock::now())
    {}

    size_t step() const
    {
        const auto elapsed = std::chrono::steady_clock::now() - start_;
        return size_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / kStepMs);
    }
    std::chrono::steady_clock::time_point stepStart(size_t step) const
    {
        return start_ + std::chrono::milliseconds(kStepMs * step);
    }

    frontend::FollowFrame followFrame() const override
    {
        served = step();
        frontend::FollowFrame frame;
        frame.image = 1;
        frame.file = file_;
        frame.playing = true;
        frame.tracks = {place(1, ranges_[served % ranges_.size()])};
        return frame;
    }
    bool playFrom(const frontend::StartPoint&) override { return false; }

    mutable size_t served = 0; // the step of the frame handed out last

private:
    std::string file_;
    std::vector<kvt::SourceRange> ranges_;
    std::chrono::steady_clock::time_point start_;
};

// From a frame's change to the first paint of the view after it, with the
// window's own timer: half a timer period on average, a period and a paint
// at most, when the machine gives this process its turn.
TEST(ScoreWindowTiming, MarksChangeWithinAVideoFrameOfTheSource)
{
    zemfe_test::ensureApplication();
    zem_test::TempDir dir;
    dir.write("song.kvt", "c4 d4 e4 f4 g4 a4 b4\n");
    TimedSource source(dir.file("song.kvt"), {{1, 1, 2}, {1, 4, 2}, {1, 7, 2}, {1, 10, 2}, {1, 13, 2}});
    zemfe::ScoreWindow window(source);
    std::vector<std::pair<size_t, std::chrono::steady_clock::time_point>> paints;
    struct PaintLog : QObject {
        PaintLog(const TimedSource& source, decltype(paints)& log) : source_(source), log_(log) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint) log_.emplace_back(source_.served, std::chrono::steady_clock::now());
            return false;
        }
        const TimedSource& source_;
        decltype(paints)& log_;
    } log(source, paints);
    window.view().viewport()->installEventFilter(&log);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(TimedSource::kStepMs * 30);
    window.view().viewport()->removeEventFilter(&log);

    std::vector<double> lags;
    size_t shown = 0; // the window may show up at any moment of step 0
    for (const auto& [step, when] : paints) {
        if (step == shown) continue;
        shown = step;
        lags.push_back(std::chrono::duration<double, std::milli>(when - source.stepStart(step)).count());
    }
    ASSERT_GE(lags.size(), 20u);
    double total = 0;
    for (double lag : lags) total += lag;
    std::sort(lags.begin(), lags.end());
    std::printf("lag over %zu changes: mean %.2f ms, median %.2f, max %.2f\n", lags.size(), total / lags.size(),
                lags[lags.size() / 2], lags.back());
    // The median stays under a video frame even on a busy machine; the
    // mean and maximum are reported.
    EXPECT_LE(lags[lags.size() / 2], 17.0);
}

// This thread's processor time: the machine may be shared, and a test must
// not fail because another process had the processor.
double threadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Repaint cost: each frame moves every track on by one command (the worst
// case: all marks change), the window follows, and the pending paints run.
// The first frame after a load lays the text out and counts to the load.
TEST_F(ScoreWindowTest, AFrameCostsFarLessThanAVideoFrame)
{
    std::string generated;
    for (int track = 1; track <= 8; ++track) {
        generated += "#" + std::to_string(track) + "\n";
        for (int line = 0; line < 624; ++line) generated += "c4 d8 e8 f4 g8. a16 b4 > c2 < r4\n";
    }
    const std::string demo = zem_test::readFile(std::string(ZEM_SOURCE_DIR) + "/examples/demo.kvt");
    window.resize(600, 700);
    for (const auto& [name, text] : {std::pair{"demo.kvt", demo}, std::pair{"generated.kvt", generated}}) {
        dir.write(name, text);
        const auto commands = score_test::soundingCommands(text);
        const auto frameAt = [&commands](size_t frame) {
            std::vector<TrackPlace> places;
            for (const auto& [track, ranges] : commands) places.push_back(place(track, ranges[frame % ranges.size()]));
            return places;
        };
        double started = threadMs();
        show(1, name, frameAt(0));
        QApplication::processEvents();
        const double loadMs = threadMs() - started;
        constexpr int kFrames = 300;
        std::vector<double> costs;
        for (int frame = 1; frame <= kFrames; ++frame) {
            started = threadMs();
            show(1, name, frameAt(size_t(frame)));
            QApplication::processEvents();
            costs.push_back(threadMs() - started);
        }
        std::sort(costs.begin(), costs.end());
        double total = 0;
        for (double cost : costs) total += cost;
        const double meanMs = total / kFrames;
        std::printf("%s: %d lines, %zu tracks: load %.2f ms; frame mean %.3f ms, median %.3f, 99th %.3f, max %.3f\n",
                    name, view().document()->blockCount(), commands.size(), loadMs, meanMs, costs[kFrames / 2],
                    costs[kFrames * 99 / 100], costs.back());
        EXPECT_LT(costs.back(), 17.0) << name;
    }
}

} // namespace

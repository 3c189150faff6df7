// The text pane of the score window: the score coloured by its tokens, a
// gutter of line numbers, the commands now sounding marked in their
// tracks' colours and compile errors underlined.  A double click asks for
// a play from the place clicked.
//
// Places are source places as the compiler counts them: lines and columns
// from 1, columns in bytes.
#pragma once

#include "score_highlighter.h"
#include "score_text.h"

#include "frontend/score_follow.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextEdit>

#include <cstdint>
#include <utility>
#include <vector>

namespace zemfe {

// column 0 marks the whole line.
struct ScoreError {
    uint32_t line = 0;
    uint32_t column = 0;
    QString text;
};

struct SourcePlace {
    uint32_t line = 0;
    uint32_t column = 0; // 0: the line's first command
};

class ScoreView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScoreView(QWidget* parent = nullptr);

    // Shows `text` without marks, from its top or, for a new version of
    // the text shown, where the user was (scroll place and text cursor).
    enum class Place { Top, Kept };
    void setScore(ScoreText text, Place place = Place::Top);
    const ScoreText& score() const { return score_; }

    // Marks each place's command in its track's colour.  False when the
    // same commands are marked already (nothing is redrawn then).
    bool setSounding(const std::vector<frontend::TrackPlace>& places);
    void setErrors(std::vector<ScoreError> errors);
    const std::vector<ScoreError>& errors() const { return errors_; }

    // The characters of `range`; a null cursor when it is not in the text.
    QTextCursor rangeCursor(const kvt::SourceRange& range) const;
    bool isInView(const kvt::SourceRange& range) const;
    // Scrolls `range` into view, a third of the height from the top.  It
    // is not taken as the user scrolling away.
    void bringIntoView(const kvt::SourceRange& range);

    // Where a play from document position `position` starts: the command
    // under it, or on a blank the next command of its line, or after the
    // line's last one the line's first command.
    SourcePlace startPlace(int position) const;

    int gutterWidth() const;
    void paintGutter(const QRect& area);

signals:
    void playRequested(zemfe::SourcePlace place);
    // The text moved by a scroll bar, a wheel or the keyboard.
    void scrolledAway();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // Holds the moves of the text during a call as not the user's.
    template <class Move> void moveQuietly(Move move);
    void updateSelections();
    void scrolled();
    QTextCursor errorCursor(const ScoreError& error) const;

    ScoreText score_;
    ScoreHighlighter highlighter_;
    QWidget* gutter_ = nullptr;
    std::vector<std::pair<uint8_t, kvt::SourceRange>> marked_;
    std::vector<QTextEdit::ExtraSelection> soundingSelections_;
    std::vector<ScoreError> errors_;
    int quietMoves_ = 0;
};

} // namespace zemfe

Q_DECLARE_METATYPE(zemfe::SourcePlace)

// The "Score" window: the text of the score being played, following the
// sound.  A timer of about 60 Hz reads the source's latest frame, which
// the source hands out as the listener hears it, so the marks change within
// one video frame of the sound.  The window rereads the text when a new
// image starts (a play, a play from a place, a live reload) and scrolls
// along with the playback until the user scrolls away ("Follow").
#pragma once

#include "score_view.h"

#include "frontend/score_follow.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;

namespace zemfe {

class ScoreWindow : public QWidget {
    Q_OBJECT
public:
    explicit ScoreWindow(frontend::FollowSource& source, QWidget* parent = nullptr);

    // To the right of `main`, tops level; to its left when the screen has
    // no room there.
    void placeBeside(const QWidget& main);

    // An error of a failed compile of the score, lines and columns from 1
    // (column 0: the whole line), underlined until cleared or until a new
    // image starts.  The message is about the file as it is now, so the
    // text is reread first when it changed.
    void showError(uint32_t line, uint32_t column, const QString& text);
    void clearErrors();

    // Shows the source's latest frame; the timer calls it while the window
    // is shown.
    void refresh();

    ScoreView& view() { return *view_; }
    QAction& followAction() { return *follow_; }
    QAction& playFromCursorAction() { return *playFromCursor_; }

    static constexpr int kFrameMs = 16;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void load(const std::string& file);
    void follow();
    void followToggled(bool on);
    void playFrom(SourcePlace place);

    frontend::FollowSource& source_;
    ScoreView* view_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* follow_ = nullptr;
    QAction* playFromCursor_ = nullptr;
    QTimer timer_;
    std::optional<uint64_t> image_; // the image whose text is shown
    std::string file_;
    std::vector<frontend::TrackPlace> sounding_;
    int followedTrack_ = -1; // the track number whose command stays in view
};

} // namespace zemfe

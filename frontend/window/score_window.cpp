#include "score_window.h"

#include "frontend/compile_image.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace zemfe {

namespace {

constexpr int kWidth = 600;
constexpr int kMinHeight = 600;
constexpr int kGap = 8;
constexpr const char* kCaption = "Score";

// An empty text when the file cannot be read: the window then shows
// nothing rather than an old text that the marks no longer point into.
std::string readBytes(const std::string& path)
{
    const std::optional<std::vector<uint8_t>> bytes = path.empty() ? std::nullopt : frontend::readWholeFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

} // namespace

ScoreWindow::ScoreWindow(frontend::FollowSource& source, QWidget* parent) : QWidget(parent), source_(source)
{
    setObjectName("ScoreWindow");
    setWindowTitle(kCaption);
    // The player ends when its main form closes, this window open or not.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* tools = new QToolBar(this);
    follow_ = tools->addAction("&Follow");
    follow_->setObjectName("A_Follow");
    follow_->setCheckable(true);
    follow_->setChecked(true);
    follow_->setShortcut(QKeySequence("Ctrl+L"));
    follow_->setToolTip("Keep the playing commands in view");
    connect(follow_, &QAction::toggled, this, &ScoreWindow::followToggled);
    playFromCursor_ = tools->addAction("&Play from cursor");
    playFromCursor_->setObjectName("A_PlayFromCursor");
    playFromCursor_->setShortcuts({QKeySequence("Ctrl+Return"), QKeySequence("Ctrl+Enter")});
    playFromCursor_->setShortcutContext(Qt::WindowShortcut);
    layout->addWidget(tools);

    view_ = new ScoreView(this);
    layout->addWidget(view_, 1);
    status_ = new QLabel(this);
    status_->setObjectName("ScoreErrors");
    status_->setStyleSheet("color: #c00000; padding: 2px 4px;");
    status_->hide();
    layout->addWidget(status_);

    connect(view_, &ScoreView::scrolledAway, follow_, [this] { follow_->setChecked(false); });
    connect(view_, &ScoreView::playRequested, this, &ScoreWindow::playFrom);
    connect(playFromCursor_, &QAction::triggered, this,
            [this] { playFrom(view_->startPlace(view_->textCursor().position())); });
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kFrameMs);
    connect(&timer_, &QTimer::timeout, this, &ScoreWindow::refresh);
}

void ScoreWindow::placeBeside(const QWidget& main)
{
    const QRect frame = main.frameGeometry();
    const QRect screen = main.screen()->availableGeometry();
    const int width = std::min(kWidth, screen.width());
    const int height = std::min(std::max(frame.height(), kMinHeight), screen.height());
    int x = frame.right() + 1 + kGap;
    if (x + width > screen.right() + 1) x = frame.left() - kGap - width;
    if (x < screen.left()) x = screen.right() + 1 - width;
    resize(width, height);
    move(x, std::clamp(frame.top(), screen.top(), screen.bottom() + 1 - height));
}

void ScoreWindow::refresh()
{
    const frontend::FollowFrame frame = source_.followFrame();
    if (frame.image != image_ || frame.file != file_) {
        image_ = frame.image;
        load(frame.file);
    }
    sounding_.clear();
    if (frame.playing)
        for (const frontend::TrackPlace& place : frame.tracks)
            if (!place.ended && place.command.line != 0) sounding_.push_back(place);
    if (view_->setSounding(sounding_) && follow_->isChecked()) follow();
}

void ScoreWindow::load(const std::string& file)
{
    // A reload of the same score keeps the user's place in it.
    const ScoreView::Place place = file == file_ ? ScoreView::Place::Kept : ScoreView::Place::Top;
    file_ = file;
    followedTrack_ = -1;
    view_->setScore(ScoreText(readBytes(file)), place);
    status_->clear();
    status_->hide();
    const QString name = QFileInfo(QString::fromStdString(file)).fileName();
    setWindowTitle(name.isEmpty() ? QString(kCaption) : QString("%1 - %2").arg(kCaption, name));
}

// Stays with one track while it sounds; a new choice prefers a track whose
// command is in view already, so the user's place is kept.
void ScoreWindow::follow()
{
    if (sounding_.empty()) return;
    const auto withNumber = [this](int number) {
        return std::find_if(sounding_.begin(), sounding_.end(),
                            [number](const frontend::TrackPlace& place) { return place.trackNumber == number; });
    };
    auto followed = withNumber(followedTrack_);
    if (followed == sounding_.end()) {
        followed = std::find_if(sounding_.begin(), sounding_.end(),
                                [this](const frontend::TrackPlace& place) { return view_->isInView(place.command); });
        if (followed == sounding_.end()) followed = sounding_.begin();
        followedTrack_ = followed->trackNumber;
    }
    if (!view_->isInView(followed->command)) view_->bringIntoView(followed->command);
}

void ScoreWindow::followToggled(bool on)
{
    followedTrack_ = -1;
    if (on) follow();
}

void ScoreWindow::playFrom(SourcePlace place)
{
    frontend::StartPoint start;
    start.kind = frontend::StartPoint::Kind::Source;
    start.line = place.line;
    start.column = place.column;
    start.track = -1;
    if (!source_.playFrom(start)) QApplication::beep();
}

void ScoreWindow::showError(uint32_t line, uint32_t column, const QString& text)
{
    std::vector<ScoreError> errors = view_->errors();
    const std::string bytes = readBytes(file_);
    if (bytes != view_->score().bytes()) view_->setScore(ScoreText(bytes), ScoreView::Place::Kept);
    errors.push_back({line, column, text});
    QStringList lines;
    for (const ScoreError& error : errors)
        lines.push_back(QString("%1:%2 %3").arg(error.line).arg(error.column).arg(error.text));
    view_->setErrors(std::move(errors));
    status_->setText(lines.join('\n'));
    status_->show();
}

void ScoreWindow::clearErrors()
{
    view_->setErrors({});
    status_->clear();
    status_->hide();
}

void ScoreWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    timer_.start();
}

void ScoreWindow::hideEvent(QHideEvent* event)
{
    timer_.stop();
    QWidget::hideEvent(event);
}

} // namespace zemfe

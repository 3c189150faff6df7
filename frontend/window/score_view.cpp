#include "score_view.h"

#include "score_style.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

#include <algorithm>

namespace zemfe {

namespace {

constexpr int kFontPixels = 13;
constexpr int kGutterPadding = 6;
constexpr int kMarkWidth = 4; // the track colour at the gutter's edge

class Gutter : public QWidget {
public:
    explicit Gutter(ScoreView& view) : QWidget(&view), view_(view) {}

protected:
    void paintEvent(QPaintEvent* event) override { view_.paintGutter(event->rect()); }

private:
    ScoreView& view_;
};

// Tokens that only carry a command's parameters: a play from them starts
// at the command they belong to.
bool isParameter(kvt::TokenKind kind)
{
    return kind == kvt::TokenKind::Length || kind == kvt::TokenKind::Number || kind == kvt::TokenKind::Punctuation ||
           kind == kvt::TokenKind::Text || kind == kvt::TokenKind::HexBlock;
}

} // namespace

ScoreView::ScoreView(QWidget* parent) : QPlainTextEdit(parent), highlighter_(document(), score_)
{
    setObjectName("ScoreText");
    QFont font("IPAGothic");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(kFontPixels);
    setFont(font);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(NoWrap);
    gutter_ = new Gutter(*this);
    // Moves that follow the text cursor set the vertical scroll bar with
    // its signals blocked; every vertical move reports its distance here.
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy == 0) {
            gutter_->update(0, rect.y(), gutter_->width(), rect.height());
            return;
        }
        gutter_->scroll(0, dy);
        scrolled();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &ScoreView::scrolled);
    setScore(ScoreText());
}

template <class Move> void ScoreView::moveQuietly(Move move)
{
    ++quietMoves_;
    move();
    --quietMoves_;
}

void ScoreView::scrolled()
{
    if (quietMoves_ == 0) emit scrolledAway();
}

void ScoreView::setScore(ScoreText text, Place place)
{
    const int top = verticalScrollBar()->value();
    const int left = horizontalScrollBar()->value();
    const int cursor = textCursor().position();
    moveQuietly([&] {
        marked_.clear();
        soundingSelections_.clear();
        errors_.clear();
        score_ = std::move(text);
        setPlainText(score_.displayText());
        if (place == Place::Kept) {
            QTextCursor kept(document());
            kept.setPosition(std::min(cursor, document()->characterCount() - 1));
            setTextCursor(kept);
            verticalScrollBar()->setValue(top);
            horizontalScrollBar()->setValue(left);
        }
        setViewportMargins(gutterWidth(), 0, 0, 0);
        gutter_->setGeometry(contentsRect().x(), contentsRect().y(), gutterWidth(), contentsRect().height());
        updateSelections();
    });
}

bool ScoreView::setSounding(const std::vector<frontend::TrackPlace>& places)
{
    std::vector<std::pair<uint8_t, kvt::SourceRange>> marked;
    marked.reserve(places.size());
    for (const frontend::TrackPlace& place : places) marked.emplace_back(place.trackNumber, place.command);
    if (marked == marked_) return false;
    marked_ = std::move(marked);
    soundingSelections_.clear();
    for (const auto& [track, range] : marked_) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = rangeCursor(range);
        if (selection.cursor.isNull()) continue;
        selection.format.setBackground(trackColour(track));
        soundingSelections_.push_back(selection);
    }
    updateSelections();
    gutter_->update();
    return true;
}

void ScoreView::setErrors(std::vector<ScoreError> errors)
{
    errors_ = std::move(errors);
    updateSelections();
}

// Errors come last: their underline is drawn over the track colours.
void ScoreView::updateSelections()
{
    QList<QTextEdit::ExtraSelection> selections(soundingSelections_.begin(), soundingSelections_.end());
    for (const ScoreError& error : errors_) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = errorCursor(error);
        if (selection.cursor.isNull()) continue;
        selection.format = errorFormat();
        selections.push_back(selection);
    }
    setExtraSelections(selections);
}

QTextCursor ScoreView::rangeCursor(const kvt::SourceRange& range) const
{
    if (range.line == 0 || int(range.line) > score_.lineCount()) return {};
    const int line = int(range.line) - 1;
    const uint32_t column = std::max(range.column, 1u) - 1;
    if (column > score_.lineEnd(line) - score_.lineStart(line)) return {};
    const uint32_t first = score_.lineStart(line) + column;
    const uint32_t last = first + std::min<uint32_t>(range.length, uint32_t(score_.bytes().size()) - first);
    const int lastLine = score_.lineOf(last);
    const auto position = [this](int at, uint32_t offset) {
        return document()->findBlockByNumber(at).position() + score_.charIndex(at, offset - score_.lineStart(at));
    };
    QTextCursor cursor(document());
    cursor.setPosition(position(line, first));
    cursor.setPosition(position(lastLine, last), QTextCursor::KeepAnchor);
    return cursor;
}

QTextCursor ScoreView::errorCursor(const ScoreError& error) const
{
    if (error.line == 0 || int(error.line) > score_.lineCount()) return {};
    const int line = int(error.line) - 1;
    QTextCursor cursor(document()->findBlockByNumber(line));
    if (error.column == 0) {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        return cursor;
    }
    // From the column to the end of the token there, at least one byte;
    // a column after the line's end marks its last byte.
    const uint32_t start = score_.lineStart(line);
    const uint32_t end = score_.lineEnd(line);
    uint32_t from = start + std::min(error.column - 1, std::max(end - start, 1u) - 1);
    uint32_t to = std::min(from + 1, end);
    const std::vector<kvt::Token>& tokens = score_.tokens();
    for (size_t i = score_.firstTokenOf(line); i < tokens.size() && tokens[i].offset <= from; ++i)
        if (tokens[i].offset + tokens[i].length > from) to = std::min(tokens[i].offset + tokens[i].length, end);
    const int blockStart = cursor.position();
    cursor.setPosition(blockStart + score_.charIndex(line, from - start));
    cursor.setPosition(blockStart + score_.charIndex(line, to - start), QTextCursor::KeepAnchor);
    return cursor;
}

bool ScoreView::isInView(const kvt::SourceRange& range) const
{
    const QTextCursor cursor = rangeCursor(range);
    if (cursor.isNull()) return false;
    QTextCursor first(cursor), last(cursor);
    first.setPosition(cursor.selectionStart());
    last.setPosition(cursor.selectionEnd());
    const QRect area = viewport()->rect();
    return area.contains(cursorRect(first)) && area.contains(cursorRect(last));
}

void ScoreView::bringIntoView(const kvt::SourceRange& range)
{
    const QTextCursor cursor = rangeCursor(range);
    if (cursor.isNull()) return;
    QTextCursor first(cursor), last(cursor);
    first.setPosition(cursor.selectionStart());
    last.setPosition(cursor.selectionEnd());
    moveQuietly([&] {
        const QRect start = cursorRect(first);
        if (start.top() < 0 || start.bottom() > viewport()->height()) {
            const int lines = viewport()->height() / std::max(fontMetrics().lineSpacing(), 1);
            verticalScrollBar()->setValue(first.block().blockNumber() - lines / 3);
        }
        const int width = viewport()->width();
        const QRect left = cursorRect(first);
        if (left.left() < 0 || cursorRect(last).right() > width)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left.left() - width / 3);
    });
}

SourcePlace ScoreView::startPlace(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    const int line = std::max(block.blockNumber(), 0);
    const uint32_t start = score_.lineStart(line);
    const uint32_t end = score_.lineEnd(line);
    const uint32_t offset = start + score_.byteColumn(line, position - block.position());
    const std::vector<kvt::Token>& tokens = score_.tokens();
    const size_t first = score_.firstTokenOf(line);
    for (size_t i = first; i < tokens.size() && tokens[i].offset < end; ++i) {
        if (tokens[i].offset + tokens[i].length <= offset) continue;
        size_t head = i;
        while (head > first && isParameter(tokens[head].kind) && tokens[head - 1].command == tokens[head].command &&
               tokens[head - 1].offset >= start)
            --head;
        return {uint32_t(line) + 1, std::max(tokens[head].offset, start) - start + 1};
    }
    return {uint32_t(line) + 1, 0};
}

int ScoreView::gutterWidth() const
{
    const int digits = int(QString::number(std::max(score_.lineCount(), 999)).size());
    return kGutterPadding * 2 + kMarkWidth + fontMetrics().horizontalAdvance(QChar('9')) * digits;
}

void ScoreView::paintGutter(const QRect& area)
{
    QPainter painter(gutter_);
    painter.fillRect(area, QColor(0xf0f0f0));
    painter.setPen(QColor(0x909090));
    const int textWidth = gutter_->width() - kGutterPadding - kMarkWidth;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > area.bottom()) break;
        if (box.bottom() < area.top()) continue;
        const QRect row(0, int(box.top()), textWidth, int(box.height()));
        painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter, QString::number(block.blockNumber() + 1));
        for (const auto& [track, range] : marked_)
            if (int(range.line) == block.blockNumber() + 1)
                painter.fillRect(gutter_->width() - kMarkWidth, row.top(), kMarkWidth, row.height(),
                                 trackColour(track));
    }
}

void ScoreView::resizeEvent(QResizeEvent* event)
{
    moveQuietly([&] { QPlainTextEdit::resizeEvent(event); });
    const QRect inside = contentsRect();
    gutter_->setGeometry(inside.x(), inside.y(), gutterWidth(), inside.height());
}

void ScoreView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QTextCursor cursor = cursorForPosition(event->position().toPoint());
    setTextCursor(cursor);
    emit playRequested(startPlace(cursor.position()));
}

bool ScoreView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return QPlainTextEdit::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int position = cursorForPosition(help->pos()).position();
    QStringList texts;
    for (const ScoreError& error : errors_) {
        const QTextCursor cursor = errorCursor(error);
        if (!cursor.isNull() && position >= cursor.selectionStart() && position <= cursor.selectionEnd())
            texts.push_back(error.text);
    }
    if (texts.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), texts.join('\n'), viewport());
    return true;
}

} // namespace zemfe

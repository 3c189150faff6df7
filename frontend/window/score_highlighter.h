// Colours each line of a score by the compiler's own tokens, so that the
// window shows the text split exactly as the compiler reads it.
#pragma once

#include "score_text.h"

#include <QSyntaxHighlighter>

namespace zemfe {

class ScoreHighlighter : public QSyntaxHighlighter {
public:
    // `text` is the text the document shows; it must outlive the highlighter
    // or be replaced together with the document's text.
    ScoreHighlighter(QTextDocument* document, const ScoreText& text);

protected:
    void highlightBlock(const QString& line) override;

private:
    const ScoreText& text_;
};

} // namespace zemfe

// How the score window colours a text: a character format per token kind
// of the compiler's lexer, one background colour per track for the command
// it is sounding, and the mark of a compile error.
#pragma once

#include "kvt/tokens.h"

#include <QColor>
#include <QTextCharFormat>

#include <cstdint>

namespace zemfe {

QTextCharFormat tokenFormat(kvt::TokenKind kind);
// By the number the text selects the track by, so that a track keeps its
// colour over reloads; neighbouring numbers get colours far apart.
QColor trackColour(uint8_t trackNumber);
QTextCharFormat errorFormat();

} // namespace zemfe

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <utility>

class TextBuffer;

// Where the caret can stand in a text, and where the moves by character and by word take it.
//
// The caret stands between grapheme clusters as QTextLayout tells them, never between the CR and
// the LF of a pair, and words are skipped as QPlainTextEdit skips them. A line end is one step.
// Only a window of the line around a position is looked at, so a line of millions of characters
// costs what a short one does.
class CaretPositions
{
public:
    explicit CaretPositions(const TextBuffer &buffer);

    // The position inside the text, moved before a CR LF pair it would split.
    qsizetype clamped(qsizetype position) const;
    // A position between the CR and the LF of a pair goes after the pair, or before it.
    qsizetype outsideLineEnd(qsizetype position, bool forward) const;

    qsizetype next(qsizetype position) const;
    qsizetype previous(qsizetype position) const;
    qsizetype nextWordStart(qsizetype position) const;
    qsizetype previousWordStart(qsizetype position) const;
    // What a double click at position selects: the word QTextCursor finds under a caret there,
    // as in QPlainTextEdit (beside a space, the word next to it).
    std::pair<qsizetype, qsizetype> wordAround(qsizetype position) const;

private:
    const TextBuffer &m_buffer;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/LineIndex.h"
#include "textarea/PieceTable.h"

#include <QString>
#include <QStringView>

// The characters of a text area, exactly as written (UTF-16), with the lines they make.
//
// A line ends at CR LF, at a lone CR or at a lone LF; the line end is not part of the line, and
// a text of n line ends has n + 1 lines (the last one possibly empty). CR LF is one line end of
// two characters: no line starts between them.
//
// Made for texts of tens of millions of characters and millions of lines: setting the text takes
// it over without copying, an edit costs about what it changes, and finding a line or the line of
// a position costs little whatever the text. The line index is sparse, so that a text of very
// many short lines does not need memory per line beyond its characters. It owns the two: the
// piece table holds the characters, and the line index reads them through it.
//
// Reading functions bring caches up to date, so even they must not run on two threads at once.
class TextBuffer
{
public:
    TextBuffer() = default;
    // The line index keeps a summary per block of about blockLength characters; a smaller block
    // makes finding a line cheaper and the index larger. Tests use tiny blocks to reach their
    // edges.
    explicit TextBuffer(qsizetype blockLength);

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    // QChar() outside the text.
    QChar at(qsizetype position) const;

    // The whole text. After edits this joins the text into one string, which the buffer keeps:
    // asking again before the next edit costs nothing.
    QString text() const;
    // The characters from position on, at most length of them (clipped to the text).
    QString mid(qsizetype position, qsizetype length) const;

    // Replaces the whole text, sharing the string rather than copying it.
    void setText(const QString &text);
    // Replaces length characters from position with text; either may be empty. A position or
    // length beyond the text is clipped to it.
    void replace(qsizetype position, qsizetype length, QStringView text);

    // Never less than 1.
    qsizetype lineCount() const;
    // The position of the line's first character.
    qsizetype lineStart(qsizetype line) const;
    // The position just after the line's last character: where its line end starts, or size().
    qsizetype lineEnd(qsizetype line) const;
    qsizetype lineLength(qsizetype line) const { return lineEnd(line) - lineStart(line); }
    // The line a position lies on; a position inside a line end belongs to that line, and
    // size() to the last line.
    qsizetype lineAt(qsizetype position) const;
    // The longest line's length in characters, for the horizontal scroll range. Exact after
    // every edit, and cheap to ask each time.
    qsizetype longestLineLength() const;
    // The first line of that length.
    qsizetype longestLine() const;

private:
    PieceTable m_pieces;
    LineIndex m_lines;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/CaretPositions.h"

#include "textarea/TextBuffer.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

// How far a caret move or a word search looks along a line at a time; a word longer than this
// is passed in steps of this length.
constexpr qsizetype WordWindow = 4096;
// How far a cluster is looked into on the other side of a position.
constexpr qsizetype ClusterContext = 32;

} // namespace

CaretPositions::CaretPositions(const TextBuffer &buffer)
    : m_buffer(buffer)
{}

qsizetype CaretPositions::clamped(qsizetype position) const
{
    return outsideLineEnd(std::clamp<qsizetype>(position, 0, m_buffer.size()), false);
}

qsizetype CaretPositions::outsideLineEnd(qsizetype position, bool forward) const
{
    if (position > 0 && position < m_buffer.size() && m_buffer.at(position - 1) == u'\r'
        && m_buffer.at(position) == u'\n')
        return forward ? position + 1 : position - 1;
    return position;
}

// The caret stops where QTextLayout lets a cursor stand: between grapheme clusters as Qt tailors
// them to the script (an Indic conjunct is one), which a QTextBoundaryFinder alone does not.
// The slice reaches a little before the position, so that a caret inside a cluster still sees
// where the cluster began.
qsizetype CaretPositions::next(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype end = m_buffer.lineEnd(line);
    if (position >= end)
        return line + 1 < m_buffer.lineCount() ? m_buffer.lineStart(line + 1) : position;
    const qsizetype sliceStart = std::max(m_buffer.lineStart(line), position - ClusterContext);
    const QTextLayout slice(m_buffer.mid(sliceStart, std::min(WordWindow, end - sliceStart)));
    return sliceStart + slice.nextCursorPosition(int(position - sliceStart));
}

qsizetype CaretPositions::previous(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype start = m_buffer.lineStart(line);
    if (position <= start)
        return line > 0 ? m_buffer.lineEnd(line - 1) : position;
    const qsizetype sliceStart = std::max(start, position - WordWindow);
    const qsizetype sliceEnd = std::min(m_buffer.lineEnd(line), position + ClusterContext);
    const QTextLayout slice(m_buffer.mid(sliceStart, sliceEnd - sliceStart));
    return sliceStart + slice.previousCursorPosition(int(position - sliceStart));
}

// Words are skipped as QPlainTextEdit skips them: a run of punctuation counts as a word of its
// own, and the spaces after a word go with it.
qsizetype CaretPositions::nextWordStart(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype end = m_buffer.lineEnd(line);
    if (position >= end)
        return next(position);
    const QTextLayout slice(m_buffer.mid(position, std::min(WordWindow, end - position)));
    return position + slice.nextCursorPosition(0, QTextLayout::SkipWords);
}

qsizetype CaretPositions::previousWordStart(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype start = m_buffer.lineStart(line);
    if (position <= start)
        return previous(position);
    const qsizetype sliceStart = std::max(start, position - WordWindow);
    const QTextLayout slice(m_buffer.mid(sliceStart, position - sliceStart));
    return sliceStart
           + slice.previousCursorPosition(int(position - sliceStart), QTextLayout::SkipWords);
}

std::pair<qsizetype, qsizetype> CaretPositions::wordAround(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype end = m_buffer.lineEnd(line);
    const qsizetype sliceStart = std::max(start, position - WordWindow);
    const QString slice
        = m_buffer.mid(sliceStart, std::min(end, position + WordWindow) - sliceStart);
    if (slice.isEmpty())
        return {position, position};
    QTextDocument document(slice);
    QTextCursor cursor(&document);
    cursor.setPosition(int(position - sliceStart));
    cursor.select(QTextCursor::WordUnderCursor);
    return {sliceStart + cursor.selectionStart(), sliceStart + cursor.selectionEnd()};
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <unordered_map>
#include <vector>

class CharacterAdvances;
class TextBuffer;

// Where each column of a line lies, in pixels from the line's start, summed from the characters'
// advances. A long line keeps the position of every few thousandth column once it is known, so
// that finding a column near its end, or the column under a click, reads only the characters
// since the nearest kept position: a line of millions of characters costs its whole length once,
// not on every key or paint.
class LineMeasure
{
public:
    LineMeasure(const TextBuffer &buffer, const CharacterAdvances &advances);

    // The x of the caret before the column'th character of the line.
    qreal x(qsizetype line, qsizetype column) const;
    qreal width(qsizetype line) const;

    struct Column
    {
        qsizetype column;
        qreal x;
    };
    // The caret column nearest to x: never inside a surrogate pair.
    qsizetype columnNearest(qsizetype line, qreal x) const;
    // The last column that starts at or before x, where drawing a visible slice starts.
    Column columnAtOrBefore(qsizetype line, qreal x) const;

    // The advances changed: every kept position is wrong.
    void forgetAll();
    // The text changed from the column of the line on, and lineDelta lines came (or went)
    // after it.
    void textReplaced(qsizetype line, qsizetype column, qsizetype lineDelta);

    // Kept positions are this many columns apart.
    static constexpr qsizetype Spacing = 4096;

private:
    // From fromX at fromColumn, the x at toColumn.
    qreal advance(qsizetype line, qsizetype fromColumn, qreal fromX, qsizetype toColumn) const;
    // The kept positions of the line, reaching at least to the checkpoint'th one.
    const std::vector<qreal> &checkpoints(qsizetype line, qsizetype checkpoint) const;
    Column nearestCheckpointBefore(qsizetype line, qreal x) const;
    template<typename Stop>
    Column scan(qsizetype line, Column from, Stop stop) const;

    const TextBuffer &m_buffer;
    const CharacterAdvances &m_advances;
    mutable std::unordered_map<qsizetype, std::vector<qreal>> m_checkpoints;
};

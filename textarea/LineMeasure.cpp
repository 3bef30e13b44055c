// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/LineMeasure.h"

#include "textarea/CharacterAdvances.h"
#include "textarea/TextBuffer.h"

#include <algorithm>

namespace {

// Characters read from the store at a time while scanning a line.
constexpr qsizetype ScanPiece = 1024;
// Lines whose positions are kept at most; far more than a screen shows.
constexpr std::size_t KeptLines = 256;

} // namespace

LineMeasure::LineMeasure(const TextBuffer &buffer, const CharacterAdvances &advances)
    : m_buffer(buffer)
    , m_advances(advances)
{}

// Scans the line from a known column, character by character, until stop(column, x, nextX)
// says the column is the one looked for, or the line ends.
template<typename Stop>
LineMeasure::Column LineMeasure::scan(qsizetype line, Column from, Stop stop) const
{
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype length = m_buffer.lineEnd(line) - start;
    qsizetype column = from.column;
    qreal x = from.x;
    QChar previous = column > 0 ? m_buffer.at(start + column - 1) : QChar();
    while (column < length) {
        const qsizetype pieceLength = std::min(ScanPiece, length - column);
        // One character more, to see whether the piece ends inside a surrogate pair.
        const QString piece = m_buffer.mid(start + column, pieceLength + 1);
        for (qsizetype index = 0; index < pieceLength; ++index) {
            const QChar character = piece[index];
            const QChar next
                = index + 1 < piece.size() && column + 1 < length ? piece[index + 1] : QChar();
            const qreal nextX = m_advances.after(x, previous, character, next);
            if (stop(column, x, nextX))
                return {column, x};
            previous = character;
            x = nextX;
            ++column;
        }
    }
    return {column, x};
}

// The plain sum, without looking for a column on the way: the loop that measures whole lines.
qreal LineMeasure::advance(qsizetype line, qsizetype fromColumn, qreal fromX,
                           qsizetype toColumn) const
{
    const qsizetype start = m_buffer.lineStart(line);
    qsizetype column = fromColumn;
    qreal x = fromX;
    QChar previous = column > 0 ? m_buffer.at(start + column - 1) : QChar();
    while (column < toColumn) {
        const qsizetype pieceLength = std::min(Spacing, toColumn - column);
        // One character more, to see whether the piece ends inside a surrogate pair; past the
        // line's end that is a line end, which no pair ends with.
        const QString piece = m_buffer.mid(start + column, pieceLength + 1);
        const QChar *characters = piece.constData();
        const qsizetype read = std::min(pieceLength, piece.size());
        for (qsizetype index = 0; index < read; ++index) {
            const QChar next = index + 1 < piece.size() ? characters[index + 1] : QChar();
            x = m_advances.after(x, previous, characters[index], next);
            previous = characters[index];
        }
        if (read < pieceLength)
            break;
        column += pieceLength;
    }
    return x;
}

const std::vector<qreal> &LineMeasure::checkpoints(qsizetype line, qsizetype checkpoint) const
{
    if (m_checkpoints.size() > KeptLines && !m_checkpoints.contains(line))
        m_checkpoints.clear();
    std::vector<qreal> &kept = m_checkpoints[line];
    if (kept.empty())
        kept.push_back(0);
    while (qsizetype(kept.size()) <= checkpoint) {
        const qsizetype from = qsizetype(kept.size() - 1) * Spacing;
        kept.push_back(advance(line, from, kept.back(), from + Spacing));
    }
    return kept;
}

qreal LineMeasure::x(qsizetype line, qsizetype column) const
{
    const qsizetype checkpoint = column / Spacing;
    const qreal checkpointX = checkpoint == 0 ? 0 : checkpoints(line, checkpoint)[checkpoint];
    return advance(line, checkpoint * Spacing, checkpointX, column);
}

qreal LineMeasure::width(qsizetype line) const
{
    return x(line, m_buffer.lineLength(line));
}

// Kept positions are found for as much of the line as lies before x, and no further.
LineMeasure::Column LineMeasure::nearestCheckpointBefore(qsizetype line, qreal x) const
{
    const qsizetype length = m_buffer.lineLength(line);
    if (length < Spacing)
        return {0, 0};
    const qsizetype last = length / Spacing;
    qsizetype checkpoint = 0;
    const auto found = m_checkpoints.find(line);
    if (found != m_checkpoints.end()) {
        const std::vector<qreal> &kept = found->second;
        const auto beyond = std::upper_bound(kept.begin(), kept.end(), x);
        if (beyond != kept.end())
            return {qsizetype(beyond - kept.begin() - 1) * Spacing, *(beyond - 1)};
        checkpoint = qsizetype(kept.size()) - 1;
    }
    while (checkpoint < last) {
        const qreal nextX = checkpoints(line, checkpoint + 1)[checkpoint + 1];
        if (nextX > x)
            break;
        ++checkpoint;
    }
    return {checkpoint * Spacing, checkpoint == 0 ? 0 : m_checkpoints[line][checkpoint]};
}

qsizetype LineMeasure::columnNearest(qsizetype line, qreal x) const
{
    if (x <= 0)
        return 0;
    qreal right = 0;
    const Column found = scan(line, nearestCheckpointBefore(line, x),
                              [x, &right](qsizetype, qreal left, qreal next) {
                                  right = next;
                                  return next > x && next > left;
                              });
    qsizetype column = found.column;
    const qsizetype length = m_buffer.lineLength(line);
    if (column < length && x - found.x > right - x) {
        const qsizetype start = m_buffer.lineStart(line);
        ++column;
        // Past the second half of a surrogate pair too.
        if (column < length && m_buffer.at(start + column).isLowSurrogate()
            && m_buffer.at(start + column - 1).isHighSurrogate())
            ++column;
    }
    return column;
}

LineMeasure::Column LineMeasure::columnAtOrBefore(qsizetype line, qreal x) const
{
    if (x <= 0)
        return {0, 0};
    return scan(line, nearestCheckpointBefore(line, x),
                [x](qsizetype, qreal, qreal right) { return right > x; });
}

void LineMeasure::forgetAll()
{
    m_checkpoints.clear();
}

void LineMeasure::textReplaced(qsizetype line, qsizetype column, qsizetype lineDelta)
{
    std::unordered_map<qsizetype, std::vector<qreal>> kept;
    for (auto &[keptLine, positions] : m_checkpoints) {
        if (keptLine < line) {
            kept.emplace(keptLine, std::move(positions));
        } else if (keptLine == line) {
            // A position depends only on the characters before it.
            positions.resize(std::min(positions.size(), std::size_t(column / Spacing + 1)));
            kept.emplace(keptLine, std::move(positions));
        } else if (lineDelta >= 0 || keptLine > line - lineDelta) {
            kept.emplace(keptLine + lineDelta, std::move(positions));
        }
    }
    m_checkpoints = std::move(kept);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/PieceTable.h"

namespace {

// Typing goes into strings of this many characters, reserved at once so that they never move.
constexpr qsizetype TypingSourceLength = 64 * 1024;
// Inserted text this long gets a string of its own rather than filling the typing string.
constexpr qsizetype SeparateSourceLength = 4096;
// The most pieces a run holds before it is split in two.
constexpr qsizetype LongestPieceRun = 256;

} // namespace

QChar PieceTable::at(qsizetype position) const
{
    if (position < 0 || position >= m_size)
        return QChar();
    const PiecePlace place = pieceAt(position);
    const Piece &piece = m_runs[size_t(place.run)].pieces[size_t(place.index)];
    return m_sources[size_t(piece.source)].at(piece.start + position - place.position);
}

QString PieceTable::text() const
{
    if (m_runs.empty())
        return QString();
    const std::vector<Piece> &pieces = m_runs.front().pieces;
    if (m_runs.size() == 1 && pieces.size() == 1 && pieces.front().start == 0
        && pieces.front().length == m_sources[size_t(pieces.front().source)].size()) {
        return m_sources[size_t(pieces.front().source)];
    }
    QString joined(m_size, Qt::Uninitialized);
    copyPiecesTo(0, m_size, joined.data());
    m_sources = {joined};
    m_runs = {PieceRun{{Piece{0, 0, m_size}}, m_size}};
    m_typingSource = -1;
    m_validRunStarts = 0;
    return joined;
}

QString PieceTable::mid(qsizetype position, qsizetype length) const
{
    position = std::clamp<qsizetype>(position, 0, m_size);
    length = std::clamp<qsizetype>(length, 0, m_size - position);
    if (position == 0 && length == m_size)
        return text();
    QString result(length, Qt::Uninitialized);
    copyPiecesTo(position, length, result.data());
    return result;
}

void PieceTable::setText(const QString &text)
{
    m_sources = {text};
    m_runs.clear();
    if (!text.isEmpty())
        m_runs.push_back(PieceRun{{Piece{0, 0, text.size()}}, text.size()});
    m_size = text.size();
    m_typingSource = -1;
    m_validRunStarts = 0;
}

// Removes whole pieces between two piece boundaries, then puts the inserted text's piece at the
// first of them.
void PieceTable::replace(qsizetype position, qsizetype length, QStringView text)
{
    Q_ASSERT(position >= 0 && length >= 0 && position + length <= m_size);
    if (length > 0) {
        pieceBoundaryAt(position + length);
        removePieces(pieceBoundaryAt(position), length);
        m_size -= length;
    }
    if (!text.isEmpty()) {
        insertPiece(position, storeInserted(text));
        m_size += text.size();
    }
    if (length >= SeparateSourceLength)
        releaseUnusedSources();
}

// Makes a piece start at position, splitting the one it falls in, and gives the place of the
// piece that starts there; at the end of the text, the place after the last piece.
PieceTable::PiecePlace PieceTable::pieceBoundaryAt(qsizetype position)
{
    if (position >= m_size) {
        if (m_runs.empty())
            return PiecePlace();
        const auto lastRun = qsizetype(m_runs.size()) - 1;
        return PiecePlace{lastRun, qsizetype(m_runs.back().pieces.size()), m_size};
    }
    PiecePlace place = pieceAt(position);
    if (place.position == position)
        return place;
    std::vector<Piece> &pieces = m_runs[size_t(place.run)].pieces;
    Piece &split = pieces[size_t(place.index)];
    const qsizetype offset = position - place.position;
    const Piece after{split.source, split.start + offset, split.length - offset};
    split.length = offset;
    pieces.insert(pieces.begin() + place.index + 1, after);
    ++place.index;
    place.position = position;
    return splitRunIfLong(place);
}

// Removes pieces of that many characters in all from place on, which starts a piece.
void PieceTable::removePieces(PiecePlace place, qsizetype length)
{
    auto run = size_t(place.run);
    auto index = size_t(place.index);
    while (length > 0) {
        PieceRun &pieceRun = m_runs[run];
        size_t end = index;
        qsizetype removed = 0;
        while (end < pieceRun.pieces.size() && removed + pieceRun.pieces[end].length <= length)
            removed += pieceRun.pieces[end++].length;
        pieceRun.pieces.erase(pieceRun.pieces.begin() + qsizetype(index),
                              pieceRun.pieces.begin() + qsizetype(end));
        pieceRun.length -= removed;
        length -= removed;
        if (pieceRun.pieces.empty()) {
            m_runs.erase(m_runs.begin() + qsizetype(run));
        } else {
            ++run;
        }
        index = 0;
    }
    m_validRunStarts = std::min(m_validRunStarts, place.run + 1);
}

// Puts the piece at position, which starts a piece or ends the text. Typing on after the
// previous key makes that key's piece longer instead of adding one.
void PieceTable::insertPiece(qsizetype position, const Piece &inserted)
{
    if (m_runs.empty()) {
        m_runs.push_back(PieceRun{{inserted}, inserted.length});
        m_validRunStarts = 0;
        return;
    }
    const PiecePlace place = pieceBoundaryAt(position);
    const qsizetype previousRun = place.index > 0 ? place.run : place.run - 1;
    if (previousRun >= 0) {
        PieceRun &run = m_runs[size_t(previousRun)];
        Piece &previous = place.index > 0 ? run.pieces[size_t(place.index - 1)] : run.pieces.back();
        if (previous.source == inserted.source
            && previous.start + previous.length == inserted.start) {
            previous.length += inserted.length;
            run.length += inserted.length;
            m_validRunStarts = std::min(m_validRunStarts, previousRun + 1);
            return;
        }
    }
    PieceRun &run = m_runs[size_t(place.run)];
    run.pieces.insert(run.pieces.begin() + place.index, inserted);
    run.length += inserted.length;
    m_validRunStarts = std::min(m_validRunStarts, place.run + 1);
    splitRunIfLong(place);
}

// Keeps runs short, so that an edit shifts few pieces; gives where the piece at place went.
PieceTable::PiecePlace PieceTable::splitRunIfLong(PiecePlace place)
{
    std::vector<Piece> &pieces = m_runs[size_t(place.run)].pieces;
    if (qsizetype(pieces.size()) <= LongestPieceRun)
        return place;
    const auto half = qsizetype(pieces.size()) / 2;
    PieceRun second;
    second.pieces.assign(pieces.begin() + half, pieces.end());
    pieces.erase(pieces.begin() + half, pieces.end());
    for (const Piece &piece : second.pieces)
        second.length += piece.length;
    m_runs[size_t(place.run)].length -= second.length;
    m_runs.insert(m_runs.begin() + place.run + 1, std::move(second));
    m_validRunStarts = std::min(m_validRunStarts, place.run + 1);
    if (place.index >= half) {
        ++place.run;
        place.index -= half;
    }
    return place;
}

// After a large removal, lets go of the strings no piece points into any more, so that deleting
// a large text gives its memory back. Their places stay, empty, so that the pieces' source
// numbers stay right.
void PieceTable::releaseUnusedSources()
{
    std::vector<bool> used(m_sources.size(), false);
    for (const PieceRun &run : m_runs) {
        for (const Piece &piece : run.pieces)
            used[size_t(piece.source)] = true;
    }
    for (size_t source = 0; source < m_sources.size(); ++source) {
        if (!used[source] && qsizetype(source) != m_typingSource)
            m_sources[source] = QString();
    }
}

// Where the inserted characters are kept: short ones go after the earlier typing in a string
// with room reserved, so that the strings the pieces point into never move.
PieceTable::Piece PieceTable::storeInserted(QStringView text)
{
    if (text.size() >= SeparateSourceLength) {
        m_sources.push_back(text.toString());
        return Piece{qsizetype(m_sources.size()) - 1, 0, text.size()};
    }
    if (m_typingSource < 0
        || m_sources[size_t(m_typingSource)].size() + text.size() > TypingSourceLength) {
        QString typing;
        typing.reserve(TypingSourceLength);
        m_sources.push_back(typing);
        m_typingSource = qsizetype(m_sources.size()) - 1;
    }
    QString &typing = m_sources[size_t(m_typingSource)];
    const Piece piece{m_typingSource, typing.size(), text.size()};
    typing.append(text);
    return piece;
}

void PieceTable::bringRunStartsUpToDate() const
{
    const auto runCount = qsizetype(m_runs.size());
    if (m_validRunStarts == runCount + 1 && qsizetype(m_runStarts.size()) == runCount + 1)
        return;
    m_runStarts.resize(size_t(runCount + 1));
    if (m_validRunStarts == 0) {
        m_runStarts[0] = 0;
        m_validRunStarts = 1;
    }
    for (qsizetype run = m_validRunStarts - 1; run < runCount; ++run)
        m_runStarts[size_t(run + 1)] = m_runStarts[size_t(run)] + m_runs[size_t(run)].length;
    m_validRunStarts = runCount + 1;
}

// The piece that holds the character at position, which must lie inside the text.
PieceTable::PiecePlace PieceTable::pieceAt(qsizetype position) const
{
    bringRunStartsUpToDate();
    const auto runsEnd = m_runStarts.begin() + qsizetype(m_runs.size());
    PiecePlace place;
    place.run
        = (std::upper_bound(m_runStarts.begin(), runsEnd, position) - m_runStarts.begin()) - 1;
    place.position = m_runStarts[size_t(place.run)];
    const std::vector<Piece> &pieces = m_runs[size_t(place.run)].pieces;
    while (position >= place.position + pieces[size_t(place.index)].length) {
        place.position += pieces[size_t(place.index)].length;
        ++place.index;
    }
    return place;
}

void PieceTable::copyPiecesTo(qsizetype position, qsizetype length, QChar *destination) const
{
    QChar *next = destination;
    visitPieces(position, position + length, [&next](QStringView characters) {
        std::copy(characters.begin(), characters.end(), next);
        next += characters.size();
        return true;
    });
}

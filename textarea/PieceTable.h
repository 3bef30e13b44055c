// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <algorithm>
#include <vector>

// The characters of a text as a list of pieces of strings that are never changed where pieces
// point, only appended to: the string setText was given, shared and not copied, and what the
// edits brought. So an edit anywhere costs about the pieces it splits, and no character moves.
//
// Reading functions bring caches up to date, so even they must not run on two threads at once.
class PieceTable
{
public:
    qsizetype size() const { return m_size; }
    // QChar() outside the text.
    QChar at(qsizetype position) const;

    // The whole text. After edits this joins the pieces into one string, which the table both
    // keeps and hands out: asking again before the next edit costs nothing.
    QString text() const;
    // The characters from position on, at most length of them (clipped to the text).
    QString mid(qsizetype position, qsizetype length) const;

    // Replaces the whole text, sharing the string rather than copying it.
    void setText(const QString &text);
    // Replaces length characters from position with text; the characters replaced must lie
    // inside the text.
    void replace(qsizetype position, qsizetype length, QStringView text);

    // Calls visit(characters) for each stretch of the text from one position to another, as it
    // lies in one string, until visit returns false; returns whether it went through.
    template<typename Visit>
    bool visitPieces(qsizetype from, qsizetype to, Visit &&visit) const;

private:
    // A run of the text's characters as they lie in one of the sources.
    struct Piece
    {
        qsizetype source = 0;
        qsizetype start = 0;
        qsizetype length = 0;
    };
    // A piece, and the position it starts at.
    struct PiecePlace
    {
        qsizetype run = 0;
        qsizetype index = 0;
        qsizetype position = 0;
    };

    PiecePlace pieceBoundaryAt(qsizetype position);
    void removePieces(PiecePlace place, qsizetype length);
    void insertPiece(qsizetype position, const Piece &inserted);
    PiecePlace splitRunIfLong(PiecePlace place);
    Piece storeInserted(QStringView text);
    void releaseUnusedSources();
    void bringRunStartsUpToDate() const;
    PiecePlace pieceAt(qsizetype position) const;
    void copyPiecesTo(qsizetype position, qsizetype length, QChar *destination) const;

    qsizetype m_size = 0;
    // text() joins the pieces into one string that it keeps, so that a second call costs
    // nothing; that is why these change in const functions.
    mutable std::vector<QString> m_sources;
    // The pieces in order, in runs of a bounded number with their lengths: an edit shifts the
    // pieces of one run, and finding a position looks through one run.
    struct PieceRun
    {
        std::vector<Piece> pieces;
        qsizetype length = 0;
    };
    mutable std::vector<PieceRun> m_runs;
    // The source that typing appends to, with room kept for it; -1 when there is none.
    mutable qsizetype m_typingSource = -1;
    // One more entry than runs once brought up to date; the first m_validRunStarts are right.
    mutable std::vector<qsizetype> m_runStarts;
    mutable qsizetype m_validRunStarts = 0;
};

// In the header, so that the line index's scans over every character inline their visits.
template<typename Visit>
bool PieceTable::visitPieces(qsizetype from, qsizetype to, Visit &&visit) const
{
    if (from >= to)
        return true;
    const PiecePlace place = pieceAt(from);
    qsizetype offset = from - place.position;
    for (auto run = size_t(place.run); from < to; ++run) {
        const std::vector<Piece> &pieces = m_runs[run].pieces;
        for (auto index = size_t(run == size_t(place.run) ? place.index : 0);
             index < pieces.size() && from < to; ++index) {
            const Piece &piece = pieces[index];
            const qsizetype count = std::min(piece.length - offset, to - from);
            const QStringView source(m_sources[size_t(piece.source)]);
            if (!visit(source.sliced(piece.start + offset, count)))
                return false;
            from += count;
            offset = 0;
        }
    }
    return true;
}

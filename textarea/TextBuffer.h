// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The characters of a text area, exactly as written (UTF-16), with the lines they make.
//
// A line ends at CR LF, at a lone CR or at a lone LF; the line end is not part of the line, and
// a text of n line ends has n + 1 lines (the last one possibly empty). CR LF is one line end of
// two characters: no line starts between them.
//
// Made for texts of tens of millions of characters and millions of lines: setting the text takes
// it over without copying, an edit costs about what it changes, and finding a line or the line of
// a position costs little whatever the text. The line index is sparse, so that a text of very
// many short lines does not need memory per line beyond its characters.
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

private:
    // A stretch of the text as the line index sees it: its line ends, and the lengths of the
    // line pieces before the first of them, after the last, and the longest between two. Two
    // stretches side by side make one, so the index is a tree of these over the blocks.
    struct Block
    {
        qsizetype length = 0;
        qsizetype lineEnds = 0;
        qsizetype leading = 0;
        qsizetype trailing = 0;
        qsizetype longestInside = 0;
    };
    // A block, and the position and line it starts at.
    struct BlockPlace
    {
        qsizetype index = 0;
        qsizetype position = 0;
        qsizetype line = 0;
    };
    // A run of the text's characters as they lie in one of the sources.
    struct Piece
    {
        qsizetype source = 0;
        qsizetype start = 0;
        qsizetype length = 0;
    };

    static constexpr qsizetype DefaultBlockLength = 2048;

    QChar characterBefore(qsizetype position) const;
    template<typename Visit>
    bool visitPieces(qsizetype from, qsizetype to, Visit &&visit) const;
    template<typename Visit>
    qsizetype visitCharacters(qsizetype from, qsizetype to, Visit &&visit) const;
    Block summarize(qsizetype from, qsizetype to) const;
    std::vector<Block> summarizeRange(qsizetype from, qsizetype to, qsizetype preferredCount) const;
    static Block join(const Block &before, const Block &after);
    const Block &whole() const;
    qsizetype blockCount() const { return m_blockCount; }
    const Block &block(qsizetype index) const { return m_nodes[size_t(m_firstLeaf + index)]; }
    BlockPlace blockAtPosition(qsizetype position) const;
    BlockPlace blockOfLineEnd(qsizetype lineEnd) const;
    template<qsizetype Block::*Count, qsizetype BlockPlace::*Counted>
    BlockPlace descendTo(qsizetype target) const;
    void setBlocks(const std::vector<Block> &blocks);
    void replaceBlocks(qsizetype first, qsizetype last, const std::vector<Block> &blocks);
    qsizetype lineEndPosition(qsizetype lineEnd) const;

    // A piece, and the position it starts at.
    struct PiecePlace
    {
        qsizetype run = 0;
        qsizetype index = 0;
        qsizetype position = 0;
    };
    void editPieces(qsizetype position, qsizetype length, QStringView text);
    PiecePlace pieceBoundaryAt(qsizetype position);
    void removePieces(PiecePlace place, qsizetype length);
    void insertPiece(qsizetype position, const Piece &inserted);
    PiecePlace splitRunIfLong(PiecePlace place);
    Piece storeInserted(QStringView text);
    void releaseUnusedSources();
    void bringRunStartsUpToDate() const;
    PiecePlace pieceAt(qsizetype position) const;
    void copyPiecesTo(qsizetype position, qsizetype length, QChar *destination) const;

    qsizetype m_blockLength = DefaultBlockLength;
    qsizetype m_size = 0;

    // The text is a list of pieces of strings that are never changed where pieces point, only
    // appended to: the string setText was given, shared and not copied, and what the edits
    // brought. So an edit anywhere costs about the pieces it splits, and no character moves.
    // text() joins the pieces into one string that it both keeps and hands out, so that a
    // second call costs nothing; that is why these change in const functions.
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

    // The blocks as the leaves of a complete binary tree, each inner node joining its two
    // children, with the root at 1: finding the block of a position or of a line end, and
    // changing one block, cost a walk from the root.
    std::vector<Block> m_nodes;
    qsizetype m_firstLeaf = 1;
    qsizetype m_blockCount = 0;
};

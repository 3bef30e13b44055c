// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <vector>

class PieceTable;

// The lines of a text held in a piece table: a line ends at CR LF, at a lone CR or at a lone
// LF, and a text of n line ends has n + 1 lines.
//
// Sparse, so that a text of very many short lines does not need memory per line: it keeps a
// summary per block of characters, in a tree, and finds a line or the line of a position by a
// walk from the root and a scan of one block's characters. Where the line ends of a block lie is
// kept for the few blocks asked about again and again, which hold the lines on show; an edit
// forgets them. The index holds no characters; every call that needs them is given the text it
// indexes.
//
// Reading functions bring that cache up to date, so even they must not run on two threads at
// once.
class LineIndex
{
public:
    LineIndex() = default;
    // The index keeps a summary per block of about blockLength characters; a smaller block makes
    // finding a line cheaper and the index larger. Tests use tiny blocks to reach their edges.
    explicit LineIndex(qsizetype blockLength);

    // Indexes the whole text anew.
    void setText(const PieceTable &text);
    // Brings the index up to date with text, in which removedLength characters from position
    // have just been replaced with insertedLength others.
    void replace(const PieceTable &text, qsizetype position, qsizetype removedLength,
                 qsizetype insertedLength);

    // Never less than 1.
    qsizetype lineCount() const;
    // The position of the line's first character.
    qsizetype lineStart(const PieceTable &text, qsizetype line) const;
    // The position just after the line's last character: where its line end starts, or the
    // text's size.
    qsizetype lineEnd(const PieceTable &text, qsizetype line) const;
    // The line a position lies on; a position inside a line end belongs to that line, and the
    // text's size to the last line.
    qsizetype lineAt(const PieceTable &text, qsizetype position) const;
    // The longest line's length in characters, exact after every edit.
    qsizetype longestLineLength() const;
    // The first of the lines of that length: found from the blocks' summaries, with a look into
    // one block at most.
    qsizetype longestLine(const PieceTable &text) const;

private:
    // A stretch of the text as the index sees it: its line ends, and the lengths of the line
    // pieces before the first of them, after the last, and the longest between two. Two
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

    static constexpr qsizetype DefaultBlockLength = 2048;

    static Block summarize(const PieceTable &text, qsizetype from, qsizetype to);
    std::vector<Block> summarizeRange(const PieceTable &text, qsizetype from, qsizetype to,
                                      qsizetype preferredCount) const;
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
    qsizetype lineEndPosition(const PieceTable &text, qsizetype lineEnd) const;
    const std::vector<qint32> *keptLineEnds(const PieceTable &text, const BlockPlace &place) const;
    void forgetLineEnds();

    qsizetype m_blockLength = DefaultBlockLength;
    // The blocks as the leaves of a complete binary tree, each inner node joining its two
    // children, with the root at 1: finding the block of a position or of a line end, and
    // changing one block, cost a walk from the root.
    std::vector<Block> m_nodes;
    qsizetype m_firstLeaf = 1;
    qsizetype m_blockCount = 0;

    // Where the line ends of a block start, from the block's start; each a CR, or an LF that does
    // not complete a CR LF.
    struct BlockLineEnds
    {
        qsizetype index = -1;
        std::vector<qint32> offsets;
    };
    // A page of lines spans a block or two; a few more keep a selection's both ends.
    mutable std::array<BlockLineEnds, 4> m_lineEndCache;
    mutable size_t m_nextCacheSlot = 0;
    mutable qsizetype m_lastBlockAskedAbout = -1;
};

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
    QChar at(qsizetype position) const;

    // The whole text.
    QString text() const;
    // The characters from position on, at most length of them (clipped to the text).
    QString mid(qsizetype position, qsizetype length) const;

    // Replaces the whole text.
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
    // line pieces before the first of them, after the last, and the longest between two.
    struct Block
    {
        int length = 0;
        int lineEnds = 0;
        int leading = 0;
        int trailing = 0;
        int longestInside = 0;
    };
    // Where a block starts, with what the blocks before it add up to.
    struct BlockStart
    {
        qsizetype position = 0;
        qsizetype line = 0;
        // The length so far of the line that is still open at the block's start.
        qsizetype openLength = 0;
        // The longest line that ended before the block.
        qsizetype longest = 0;
    };
    // The characters from one position to another, as they lie on both sides of the gap.
    struct Pieces
    {
        QStringView beforeGap;
        QStringView afterGap;
    };

    static constexpr qsizetype DefaultBlockLength = 2048;

    Pieces piecesOf(qsizetype from, qsizetype to) const;
    QChar characterBefore(qsizetype position) const;
    Block summarize(qsizetype from, qsizetype to) const;
    std::vector<Block> summarizeRange(qsizetype from, qsizetype to) const;
    void bringStartsUpToDate() const;
    qsizetype blockContaining(qsizetype position) const;
    qsizetype lineEndPosition(qsizetype lineEnd) const;

    void editStore(qsizetype position, qsizetype length, QStringView text);
    void prepareGap(qsizetype position, qsizetype needed);
    void copyStoreWithGap(qsizetype position, qsizetype gapLength);
    void growGap(qsizetype gapLength);
    void moveGap(qsizetype position) const;
    qsizetype spareGapLength() const;

    qsizetype m_blockLength = DefaultBlockLength;
    // The characters with a gap at m_gapStart where edits happen. The gap is made only by the
    // first edit, so that a text that is set and then read is never copied; text() closes it
    // again by moving it to the end, which is why these change in const functions.
    mutable QString m_store;
    mutable qsizetype m_gapStart = 0;
    mutable qsizetype m_gapLength = 0;

    std::vector<Block> m_blocks;
    qsizetype m_lineEnds = 0;
    // One more entry than blocks once brought up to date; the first m_validStarts are right.
    mutable std::vector<BlockStart> m_starts;
    mutable qsizetype m_validStarts = 0;
};

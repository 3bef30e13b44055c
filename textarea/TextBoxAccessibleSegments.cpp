// SPDX-License-Identifier: GPL-3.0-or-later
// The text area told to assistive technology in segments: the character, word, sentence or line
// at, before or after an offset.
#include "textarea/TextBoxAccessible.h"

#include "textarea/LineEnds.h"
#include "textarea/TextBox.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// How far from an offset a character, a word or a sentence is looked for: one longer than this
// is told in parts. A screen reader speaks none of them whole anyway.
constexpr qsizetype CharacterReach = 64;
constexpr qsizetype WordReach = 4096;
constexpr qsizetype SentenceReach = 16384;
// A line longer than this is told in pieces of this length, from its start, so that a screen
// reader following the caret along a line of millions of characters is not sent all of them
// at each key.
constexpr qsizetype LinePiece = 65536;

// The boundaries a segment of text ends at: Qt's own rule for its text interfaces, where a
// boundary inside a run of spaces or punctuation does not count.
bool separates(const QTextBoundaryFinder &finder)
{
    return finder.isAtBoundary()
           && (finder.boundaryReasons()
               & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem));
}

} // namespace

// ---- Segments of text

QString TextBoxAccessible::segmentText(Segment segment, int *startOffset, int *endOffset) const
{
    *startOffset = int(segment.start);
    *endOffset = int(segment.end);
    return textBox().buffer().mid(segment.start, segment.end - segment.start);
}

// The line end the character at position belongs to: CR LF, a lone CR or a lone LF.
TextBoxAccessible::Segment TextBoxAccessible::lineEndAt(qsizetype position) const
{
    const TextBuffer &buffer = textBox().buffer();
    const qsizetype line = buffer.lineAt(position);
    const qsizetype end
        = line + 1 < buffer.lineCount() ? buffer.lineStart(line + 1) : buffer.size();
    return {buffer.lineEnd(line), end};
}

// The character, word or sentence around position, which is on a line and not at its end.
TextBoxAccessible::Segment
TextBoxAccessible::foundSegment(qsizetype position, qsizetype reach,
                                QAccessible::TextBoundaryType boundaryType) const
{
    const TextBuffer &buffer = textBox().buffer();
    const qsizetype line = buffer.lineAt(position);
    const qsizetype sliceStart = std::max(buffer.lineStart(line), position - reach);
    const qsizetype sliceEnd = std::min(buffer.lineEnd(line), position + reach + 1);
    const QString slice = buffer.mid(sliceStart, sliceEnd - sliceStart);
    const QTextBoundaryFinder::BoundaryType finderType
        = boundaryType == QAccessible::CharBoundary   ? QTextBoundaryFinder::Grapheme
          : boundaryType == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                      : QTextBoundaryFinder::Sentence;
    QTextBoundaryFinder finder(finderType, slice);
    const qsizetype at = position - sliceStart;

    finder.setPosition(at);
    qsizetype start = at;
    while (start > 0 && !separates(finder))
        start = std::max<qsizetype>(0, finder.toPreviousBoundary());

    finder.setPosition(at);
    qsizetype end = finder.toNextBoundary();
    while (end > 0 && end < slice.size() && !separates(finder))
        end = finder.toNextBoundary();
    if (end < 0)
        end = slice.size();
    return {sliceStart + start, sliceStart + end};
}

TextBoxAccessible::Segment
TextBoxAccessible::segmentAt(qsizetype position, QAccessible::TextBoundaryType boundaryType) const
{
    const TextBuffer &buffer = textBox().buffer();
    switch (boundaryType) {
    case QAccessible::NoBoundary:
        return {0, buffer.size()};
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary: {
        // Without wrapping a paragraph is a line. Either ends before its line end.
        const qsizetype line = buffer.lineAt(position);
        const qsizetype lineStart = buffer.lineStart(line);
        const qsizetype lineEnd = buffer.lineEnd(line);
        // A position in the line end belongs to the piece of the line's last character.
        const qsizetype column
            = std::min(position - lineStart, std::max<qsizetype>(0, lineEnd - lineStart - 1));
        const qsizetype pieceStart = lineStart + column / LinePiece * LinePiece;
        return {pieceStart, std::min(lineEnd, pieceStart + LinePiece)};
    }
    case QAccessible::CharBoundary:
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary:
        break;
    }
    if (position == buffer.size()) {
        // After the last character there is no character; the word or sentence there is the
        // one the text ends with.
        if (boundaryType == QAccessible::CharBoundary || position == 0
            || LineEnds::isLineEndCharacter(buffer.at(position - 1)))
            return {position, position};
        --position;
    }
    if (LineEnds::isLineEndCharacter(buffer.at(position)))
        return lineEndAt(position);
    const qsizetype reach = boundaryType == QAccessible::CharBoundary   ? CharacterReach
                            : boundaryType == QAccessible::WordBoundary ? WordReach
                                                                        : SentenceReach;
    return foundSegment(position, reach, boundaryType);
}

QString TextBoxAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int *startOffset, int *endOffset) const
{
    const qsizetype size = textBox().buffer().size();
    if (offset == -1)
        offset = int(size);
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > size)
        return QString();
    return segmentText(segmentAt(offset, boundaryType), startOffset, endOffset);
}

QString TextBoxAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    const qsizetype size = textBox().buffer().size();
    if (offset == -1)
        offset = int(size);
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > size || boundaryType == QAccessible::NoBoundary)
        return QString();
    const Segment at = segmentAt(offset, boundaryType);
    if (at.start == 0)
        return QString();
    return segmentText(segmentAt(at.start - 1, boundaryType), startOffset, endOffset);
}

QString TextBoxAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int *startOffset, int *endOffset) const
{
    const TextBuffer &buffer = textBox().buffer();
    const qsizetype size = buffer.size();
    if (offset == -1)
        offset = int(size);
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > size || boundaryType == QAccessible::NoBoundary)
        return QString();
    const Segment at = segmentAt(offset, boundaryType);
    qsizetype next = at.end;
    if (boundaryType == QAccessible::LineBoundary
        || boundaryType == QAccessible::ParagraphBoundary) {
        // A line's segments leave its line end out: the next one is on the next line.
        const qsizetype line = buffer.lineAt(at.start);
        if (next == buffer.lineEnd(line)) {
            if (line + 1 == buffer.lineCount())
                return QString();
            next = buffer.lineStart(line + 1);
        }
    } else if (next >= size) {
        return QString();
    }
    return segmentText(segmentAt(next, boundaryType), startOffset, endOffset);
}

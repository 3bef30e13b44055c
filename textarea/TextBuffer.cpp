// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBuffer.h"

#include <algorithm>

namespace {

constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t LineFeed = u'\n';

// A line end starts at every CR, and at every LF that does not complete a CR LF.
bool startsLineEnd(char16_t character, char16_t previous)
{
    return character == CarriageReturn || (character == LineFeed && previous != CarriageReturn);
}

// Typing goes into strings of this many characters, reserved at once so that they never move.
constexpr qsizetype TypingSourceLength = 64 * 1024;
// Inserted text this long gets a string of its own rather than filling the typing string.
constexpr qsizetype SeparateSourceLength = 4096;
// The most pieces a run holds before it is split in two.
constexpr qsizetype LongestPieceRun = 256;

} // namespace

// Calls visit(characters) for each stretch of the text from one position to another, as it lies
// in one source, until visit returns false; returns whether it went through.
template<typename Visit>
bool TextBuffer::visitPieces(qsizetype from, qsizetype to, Visit &&visit) const
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

// Calls visit(character, previous) for each character from one position to another, until it
// returns false; returns how many characters were visited before that one, or all of them.
template<typename Visit>
qsizetype TextBuffer::visitCharacters(qsizetype from, qsizetype to, Visit &&visit) const
{
    char16_t previous = characterBefore(from).unicode();
    qsizetype visited = 0;
    visitPieces(from, to, [&](QStringView characters) {
        for (const QChar character : characters) {
            if (!visit(character.unicode(), previous))
                return false;
            previous = character.unicode();
            ++visited;
        }
        return true;
    });
    return visited;
}

TextBuffer::TextBuffer(qsizetype blockLength)
    : m_blockLength(std::clamp<qsizetype>(blockLength, 2, qsizetype(1) << 20))
{}

qsizetype TextBuffer::size() const
{
    return m_size;
}

QChar TextBuffer::at(qsizetype position) const
{
    if (position < 0 || position >= m_size)
        return QChar();
    const PiecePlace place = pieceAt(position);
    const Piece &piece = m_runs[size_t(place.run)].pieces[size_t(place.index)];
    return m_sources[size_t(piece.source)].at(piece.start + position - place.position);
}

QString TextBuffer::text() const
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

QString TextBuffer::mid(qsizetype position, qsizetype length) const
{
    position = std::clamp<qsizetype>(position, 0, m_size);
    length = std::clamp<qsizetype>(length, 0, m_size - position);
    if (position == 0 && length == m_size)
        return text();
    QString result(length, Qt::Uninitialized);
    copyPiecesTo(position, length, result.data());
    return result;
}

void TextBuffer::setText(const QString &text)
{
    m_sources = {text};
    m_runs.clear();
    if (!text.isEmpty())
        m_runs.push_back(PieceRun{{Piece{0, 0, text.size()}}, text.size()});
    m_size = text.size();
    m_typingSource = -1;
    m_validRunStarts = 0;
    setBlocks(summarizeRange(0, m_size, 0));
}

void TextBuffer::replace(qsizetype position, qsizetype length, QStringView text)
{
    const qsizetype oldSize = size();
    position = std::clamp<qsizetype>(position, 0, oldSize);
    length = std::clamp<qsizetype>(length, 0, oldSize - position);
    if (length == 0 && text.isEmpty())
        return;

    // The blocks to summarize again: those holding the replaced characters, and the one holding
    // the character after them, which may start or stop completing a CR LF.
    qsizetype first = 0;
    qsizetype last = -1;
    qsizetype regionStart = 0;
    qsizetype regionEnd = 0;
    // As many blocks as before where they stay of a fair length, so that the tree keeps its shape
    // and only the walks up from the changed blocks are done again.
    qsizetype preferredCount = 0;
    if (blockCount() > 0) {
        const BlockPlace firstPlace = blockAtPosition(std::min(position, oldSize - 1));
        const BlockPlace lastPlace = blockAtPosition(std::min(position + length, oldSize - 1));
        first = firstPlace.index;
        last = lastPlace.index;
        regionStart = firstPlace.position;
        regionEnd = lastPlace.position + block(last).length;
        preferredCount = last - first + 1;
        // A region that has become small takes in a neighbour, so that deletions do not leave
        // ever more tiny blocks behind.
        const qsizetype newRegionLength = regionEnd - regionStart - length + text.size();
        if (newRegionLength < m_blockLength / 4) {
            preferredCount = 0;
            if (last + 1 < blockCount()) {
                ++last;
                regionEnd += block(last).length;
            } else if (first > 0) {
                --first;
                regionStart -= block(first).length;
            }
        }
    }

    editPieces(position, length, text);

    replaceBlocks(first, last,
                  summarizeRange(regionStart, regionEnd - length + text.size(), preferredCount));
}

qsizetype TextBuffer::lineCount() const
{
    return whole().lineEnds + 1;
}

qsizetype TextBuffer::lineStart(qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    line = std::clamp<qsizetype>(line, 0, whole().lineEnds);
    if (line == 0)
        return 0;
    const qsizetype endPosition = lineEndPosition(line - 1);
    const bool pair = at(endPosition) == CarriageReturn && endPosition + 1 < size()
                      && at(endPosition + 1) == LineFeed;
    return endPosition + (pair ? 2 : 1);
}

qsizetype TextBuffer::lineEnd(qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    const qsizetype lastLine = whole().lineEnds;
    line = std::clamp<qsizetype>(line, 0, lastLine);
    return line == lastLine ? size() : lineEndPosition(line);
}

qsizetype TextBuffer::lineAt(qsizetype position) const
{
    const qsizetype textSize = size();
    Q_ASSERT(position >= 0 && position <= textSize);
    position = std::clamp<qsizetype>(position, 0, textSize);
    if (position == textSize)
        return whole().lineEnds;
    const BlockPlace place = blockAtPosition(position);
    qsizetype line = place.line;
    visitCharacters(place.position, position, [&line](char16_t character, char16_t previous) {
        line += startsLineEnd(character, previous);
        return true;
    });
    // Between the CR and the LF of a pair is still on the line the pair ends.
    if (position > 0 && at(position - 1) == CarriageReturn && at(position) == LineFeed)
        --line;
    return line;
}

qsizetype TextBuffer::longestLineLength() const
{
    const Block &text = whole();
    return std::max({text.leading, text.longestInside, text.trailing});
}

QChar TextBuffer::characterBefore(qsizetype position) const
{
    return position > 0 ? at(position - 1) : QChar();
}

// Runs over every character of the text once in setText, so it keeps to plain 16-bit values.
TextBuffer::Block TextBuffer::summarize(qsizetype from, qsizetype to) const
{
    Block block;
    block.length = to - from;
    qsizetype run = 0;
    char16_t previous = characterBefore(from).unicode();
    visitPieces(from, to, [&](QStringView characters) {
        if (characters.isEmpty())
            return true;
        const char16_t *next = characters.utf16();
        const char16_t *const end = next + characters.size();
        // The LF of a CR LF whose CR ended the stretch before.
        if (previous == CarriageReturn && *next == LineFeed)
            ++next;
        while (next != end) {
            const char16_t character = *next++;
            if (character > CarriageReturn
                || (character != CarriageReturn && character != LineFeed)) {
                ++run;
                continue;
            }
            if (block.lineEnds == 0)
                block.leading = run;
            else
                block.longestInside = std::max(block.longestInside, run);
            ++block.lineEnds;
            run = 0;
            // A CR LF is one line end.
            if (character == CarriageReturn && next != end && *next == LineFeed)
                ++next;
        }
        previous = end[-1];
        return true;
    });
    if (block.lineEnds == 0)
        block.leading = run;
    block.trailing = run;
    return block;
}

// Blocks of about the chosen length; a stretch of up to twice that stays one block, so that
// typing into a block splits it only now and then. preferredCount blocks, if more than none, where
// that gives blocks of a quarter to twice the chosen length.
std::vector<TextBuffer::Block> TextBuffer::summarizeRange(qsizetype from, qsizetype to,
                                                          qsizetype preferredCount) const
{
    const qsizetype length = to - from;
    std::vector<Block> blocks;
    if (length == 0)
        return blocks;
    qsizetype count = length <= 2 * m_blockLength ? 1 : length / m_blockLength;
    if (preferredCount > 0 && length >= preferredCount * std::max<qsizetype>(m_blockLength / 4, 1)
        && length <= preferredCount * 2 * m_blockLength) {
        count = preferredCount;
    }
    blocks.reserve(size_t(count));
    const qsizetype shortLength = length / count;
    const qsizetype longerBlocks = length % count;
    qsizetype start = from;
    for (qsizetype index = 0; index < count; ++index) {
        const qsizetype blockLength = shortLength + (index < longerBlocks ? 1 : 0);
        blocks.push_back(summarize(start, start + blockLength));
        start += blockLength;
    }
    return blocks;
}

TextBuffer::Block TextBuffer::join(const Block &before, const Block &after)
{
    Block joined;
    joined.length = before.length + after.length;
    joined.lineEnds = before.lineEnds + after.lineEnds;
    joined.leading = before.lineEnds == 0 ? before.leading + after.leading : before.leading;
    joined.trailing = after.lineEnds == 0 ? before.trailing + after.trailing : after.trailing;
    joined.longestInside = std::max(before.longestInside, after.longestInside);
    // The line that ends in after and started in before lies inside the two.
    if (before.lineEnds > 0 && after.lineEnds > 0)
        joined.longestInside = std::max(joined.longestInside, before.trailing + after.leading);
    return joined;
}

const TextBuffer::Block &TextBuffer::whole() const
{
    static const Block nothing;
    return m_nodes.size() > 1 ? m_nodes[1] : nothing;
}

// position must lie inside the text.
TextBuffer::BlockPlace TextBuffer::blockAtPosition(qsizetype position) const
{
    return descendTo<&Block::length, &BlockPlace::position>(position);
}

// lineEnd must be below the number of line ends.
TextBuffer::BlockPlace TextBuffer::blockOfLineEnd(qsizetype lineEnd) const
{
    return descendTo<&Block::lineEnds, &BlockPlace::line>(lineEnd);
}

// The block holding the target-th unit that Count counts (characters or line ends), found by a
// walk from the root that adds up the blocks passed on the left.
template<qsizetype TextBuffer::Block::*Count, qsizetype TextBuffer::BlockPlace::*Counted>
TextBuffer::BlockPlace TextBuffer::descendTo(qsizetype target) const
{
    BlockPlace place;
    qsizetype node = 1;
    while (node < m_firstLeaf) {
        const Block &left = m_nodes[size_t(2 * node)];
        node *= 2;
        if (target >= place.*Counted + left.*Count) {
            place.position += left.length;
            place.line += left.lineEnds;
            ++node;
        }
    }
    place.index = node - m_firstLeaf;
    return place;
}

void TextBuffer::setBlocks(const std::vector<Block> &blocks)
{
    m_blockCount = qsizetype(blocks.size());
    m_firstLeaf = 1;
    while (m_firstLeaf < m_blockCount)
        m_firstLeaf *= 2;
    m_nodes.assign(size_t(2 * m_firstLeaf), Block());
    std::copy(blocks.begin(), blocks.end(), m_nodes.begin() + m_firstLeaf);
    for (qsizetype node = m_firstLeaf - 1; node >= 1; --node)
        m_nodes[size_t(node)] = join(m_nodes[size_t(2 * node)], m_nodes[size_t(2 * node + 1)]);
}

// Replaces the blocks from first to last (none when last is below first) with others: in place
// when there are as many, else by building the tree again.
void TextBuffer::replaceBlocks(qsizetype first, qsizetype last, const std::vector<Block> &blocks)
{
    const auto count = qsizetype(blocks.size());
    if (count != last - first + 1) {
        std::vector<Block> all(m_nodes.begin() + m_firstLeaf,
                               m_nodes.begin() + m_firstLeaf + m_blockCount);
        const auto firstReplaced = all.begin() + first;
        all.erase(firstReplaced, firstReplaced + (last - first + 1));
        all.insert(all.begin() + first, blocks.begin(), blocks.end());
        setBlocks(all);
        return;
    }
    for (qsizetype index = 0; index < count; ++index) {
        qsizetype node = m_firstLeaf + first + index;
        m_nodes[size_t(node)] = blocks[size_t(index)];
        for (node /= 2; node >= 1; node /= 2)
            m_nodes[size_t(node)] = join(m_nodes[size_t(2 * node)], m_nodes[size_t(2 * node + 1)]);
    }
}

// Where the line end with that index (from 0) starts.
qsizetype TextBuffer::lineEndPosition(qsizetype lineEnd) const
{
    const BlockPlace place = blockOfLineEnd(lineEnd);
    qsizetype remaining = lineEnd - place.line;
    const qsizetype offset
        = visitCharacters(place.position, place.position + block(place.index).length,
                          [&remaining](char16_t character, char16_t previous) {
                              return !startsLineEnd(character, previous) || remaining-- > 0;
                          });
    return place.position + offset;
}

// Removes whole pieces between two piece boundaries, then puts the inserted text's piece at the
// first of them.
void TextBuffer::editPieces(qsizetype position, qsizetype length, QStringView text)
{
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
TextBuffer::PiecePlace TextBuffer::pieceBoundaryAt(qsizetype position)
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
void TextBuffer::removePieces(PiecePlace place, qsizetype length)
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
void TextBuffer::insertPiece(qsizetype position, const Piece &inserted)
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
TextBuffer::PiecePlace TextBuffer::splitRunIfLong(PiecePlace place)
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
void TextBuffer::releaseUnusedSources()
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
TextBuffer::Piece TextBuffer::storeInserted(QStringView text)
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

void TextBuffer::bringRunStartsUpToDate() const
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
TextBuffer::PiecePlace TextBuffer::pieceAt(qsizetype position) const
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

void TextBuffer::copyPiecesTo(qsizetype position, qsizetype length, QChar *destination) const
{
    QChar *next = destination;
    visitPieces(position, position + length, [&next](QStringView characters) {
        std::copy(characters.begin(), characters.end(), next);
        next += characters.size();
        return true;
    });
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t LineFeed = u'\n';

// A line end starts at every CR, and at every LF that does not complete a CR LF.
bool startsLineEnd(char16_t character, char16_t previous)
{
    return character == CarriageReturn || (character == LineFeed && previous != CarriageReturn);
}

bool isLineEndCharacter(char16_t character)
{
    return character == CarriageReturn || character == LineFeed;
}

// Calls visit(character, previous) for each character of both views in turn, until it returns
// false; returns how many characters were visited before that one, or all of them.
template<typename Visit>
qsizetype visitCharacters(QStringView first, QStringView second, char16_t previous, Visit &&visit)
{
    qsizetype visited = 0;
    for (const QStringView piece : {first, second}) {
        for (const QChar character : piece) {
            if (!visit(character.unicode(), previous))
                return visited;
            previous = character.unicode();
            ++visited;
        }
    }
    return visited;
}

// The characters are plain 16-bit values, copied as such.
void copyCharacters(QChar *destination, QStringView source)
{
    std::memcpy(static_cast<void *>(destination), source.data(),
                size_t(source.size()) * sizeof(QChar));
}

} // namespace

TextBuffer::TextBuffer(qsizetype blockLength)
    : m_blockLength(std::clamp<qsizetype>(blockLength, 2, qsizetype(1) << 20))
{}

qsizetype TextBuffer::size() const
{
    return m_store.size() - m_gapLength;
}

QChar TextBuffer::at(qsizetype position) const
{
    Q_ASSERT(position >= 0 && position < size());
    return m_store.at(position < m_gapStart ? position : position + m_gapLength);
}

QString TextBuffer::text() const
{
    if (m_gapLength == 0)
        return m_store;
    if (!m_store.isDetached())
        return mid(0, size());
    // Closing the gap at the end hands out the store itself instead of a copy; the next edit
    // opens it again in the capacity that the store keeps.
    const qsizetype textSize = size();
    moveGap(textSize);
    m_store.resize(textSize);
    m_gapLength = 0;
    return m_store;
}

QString TextBuffer::mid(qsizetype position, qsizetype length) const
{
    const qsizetype textSize = size();
    position = std::clamp<qsizetype>(position, 0, textSize);
    length = std::clamp<qsizetype>(length, 0, textSize - position);
    if (position == 0 && length == textSize && m_gapLength == 0)
        return m_store;
    const Pieces pieces = piecesOf(position, position + length);
    QString result(length, Qt::Uninitialized);
    copyCharacters(result.data(), pieces.beforeGap);
    copyCharacters(result.data() + pieces.beforeGap.size(), pieces.afterGap);
    return result;
}

void TextBuffer::setText(const QString &text)
{
    m_store = text;
    m_gapStart = text.size();
    m_gapLength = 0;
    m_blocks = summarizeRange(0, text.size());
    m_lineEnds = 0;
    for (const Block &block : m_blocks)
        m_lineEnds += block.lineEnds;
    m_validStarts = 0;
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
    if (!m_blocks.empty()) {
        bringStartsUpToDate();
        first = blockContaining(std::min(position, oldSize - 1));
        last = blockContaining(std::min(position + length, oldSize - 1));
        regionStart = m_starts[first].position;
        regionEnd = m_starts[last + 1].position;
        // A region that has become small takes in a neighbour, so that deletions do not leave
        // ever more tiny blocks behind.
        const qsizetype newRegionLength = regionEnd - regionStart - length + text.size();
        if (newRegionLength < m_blockLength / 2) {
            if (last + 1 < qsizetype(m_blocks.size())) {
                ++last;
                regionEnd = m_starts[last + 1].position;
            } else if (first > 0) {
                --first;
                regionStart = m_starts[first].position;
            }
        }
    }

    editStore(position, length, text);

    const std::vector<Block> summaries
        = summarizeRange(regionStart, regionEnd - length + text.size());
    for (qsizetype block = first; block <= last; ++block)
        m_lineEnds -= m_blocks[block].lineEnds;
    for (const Block &block : summaries)
        m_lineEnds += block.lineEnds;
    const auto firstReplaced = m_blocks.begin() + first;
    m_blocks.erase(firstReplaced, firstReplaced + (last - first + 1));
    m_blocks.insert(m_blocks.begin() + first, summaries.begin(), summaries.end());
    m_validStarts = std::min(m_validStarts, first + 1);
}

qsizetype TextBuffer::lineCount() const
{
    return m_lineEnds + 1;
}

qsizetype TextBuffer::lineStart(qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    line = std::clamp<qsizetype>(line, 0, m_lineEnds);
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
    line = std::clamp<qsizetype>(line, 0, m_lineEnds);
    return line == m_lineEnds ? size() : lineEndPosition(line);
}

qsizetype TextBuffer::lineAt(qsizetype position) const
{
    const qsizetype textSize = size();
    Q_ASSERT(position >= 0 && position <= textSize);
    position = std::clamp<qsizetype>(position, 0, textSize);
    if (position == textSize)
        return m_lineEnds;
    bringStartsUpToDate();
    const qsizetype block = blockContaining(position);
    const qsizetype blockStart = m_starts[block].position;
    const Pieces pieces = piecesOf(blockStart, position);
    qsizetype line = m_starts[block].line;
    visitCharacters(pieces.beforeGap, pieces.afterGap, characterBefore(blockStart).unicode(),
                    [&line](char16_t character, char16_t previous) {
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
    bringStartsUpToDate();
    const BlockStart &end = m_starts.back();
    return std::max(end.longest, end.openLength);
}

TextBuffer::Pieces TextBuffer::piecesOf(qsizetype from, qsizetype to) const
{
    const QStringView store(m_store);
    Pieces pieces;
    if (from < m_gapStart)
        pieces.beforeGap = store.sliced(from, std::min(to, m_gapStart) - from);
    if (to > m_gapStart) {
        const qsizetype afterFrom = std::max(from, m_gapStart);
        pieces.afterGap = store.sliced(afterFrom + m_gapLength, to - afterFrom);
    }
    return pieces;
}

QChar TextBuffer::characterBefore(qsizetype position) const
{
    return position > 0 ? at(position - 1) : QChar();
}

TextBuffer::Block TextBuffer::summarize(qsizetype from, qsizetype to) const
{
    Block block;
    block.length = int(to - from);
    int run = 0;
    const Pieces pieces = piecesOf(from, to);
    visitCharacters(pieces.beforeGap, pieces.afterGap, characterBefore(from).unicode(),
                    [&block, &run](char16_t character, char16_t previous) {
                        if (startsLineEnd(character, previous)) {
                            if (block.lineEnds == 0)
                                block.leading = run;
                            else
                                block.longestInside = std::max(block.longestInside, run);
                            ++block.lineEnds;
                            run = 0;
                        } else if (!isLineEndCharacter(character)) {
                            ++run;
                        }
                        return true;
                    });
    if (block.lineEnds == 0)
        block.leading = run;
    block.trailing = run;
    return block;
}

// Blocks of about the chosen length; a stretch of up to twice that stays one block, so that
// typing into a block splits it only now and then.
std::vector<TextBuffer::Block> TextBuffer::summarizeRange(qsizetype from, qsizetype to) const
{
    const qsizetype length = to - from;
    std::vector<Block> blocks;
    if (length == 0)
        return blocks;
    const qsizetype count = length <= 2 * m_blockLength ? 1 : length / m_blockLength;
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

void TextBuffer::bringStartsUpToDate() const
{
    const qsizetype blockCount = qsizetype(m_blocks.size());
    if (m_validStarts == blockCount + 1 && qsizetype(m_starts.size()) == blockCount + 1)
        return;
    m_starts.resize(size_t(blockCount + 1));
    if (m_validStarts == 0) {
        m_starts[0] = BlockStart();
        m_validStarts = 1;
    }
    for (qsizetype index = m_validStarts - 1; index < blockCount; ++index) {
        const Block &block = m_blocks[index];
        const BlockStart &start = m_starts[index];
        BlockStart &next = m_starts[index + 1];
        next.position = start.position + block.length;
        next.line = start.line + block.lineEnds;
        if (block.lineEnds == 0) {
            next.openLength = start.openLength + block.leading;
            next.longest = start.longest;
        } else {
            next.longest = std::max(
                {start.longest, start.openLength + block.leading, qsizetype(block.longestInside)});
            next.openLength = block.trailing;
        }
    }
    m_validStarts = blockCount + 1;
}

// The starts must be up to date, and position inside the text.
qsizetype TextBuffer::blockContaining(qsizetype position) const
{
    const auto blocksEnd = m_starts.begin() + qsizetype(m_blocks.size());
    const auto after = std::upper_bound(
        m_starts.begin(), blocksEnd, position,
        [](qsizetype value, const BlockStart &start) { return value < start.position; });
    return (after - m_starts.begin()) - 1;
}

// Where the line end with that index (from 0) starts.
qsizetype TextBuffer::lineEndPosition(qsizetype lineEnd) const
{
    bringStartsUpToDate();
    const auto after = std::upper_bound(
        m_starts.begin(), m_starts.end(), lineEnd,
        [](qsizetype value, const BlockStart &start) { return value < start.line; });
    const qsizetype block = (after - m_starts.begin()) - 1;
    const qsizetype blockStart = m_starts[block].position;
    const Pieces pieces = piecesOf(blockStart, m_starts[block + 1].position);
    qsizetype remaining = lineEnd - m_starts[block].line;
    const qsizetype offset
        = visitCharacters(pieces.beforeGap, pieces.afterGap, characterBefore(blockStart).unicode(),
                          [&remaining](char16_t character, char16_t previous) {
                              return !startsLineEnd(character, previous) || remaining-- > 0;
                          });
    return blockStart + offset;
}

void TextBuffer::editStore(qsizetype position, qsizetype length, QStringView text)
{
    prepareGap(position, std::max<qsizetype>(text.size() - length, 0));
    // The removed characters, just after the gap, become part of it.
    m_gapLength += length;
    copyCharacters(m_store.data() + m_gapStart, text);
    m_gapStart += text.size();
    m_gapLength -= text.size();
}

// Puts the gap at position, at least needed characters long, in a store of our own.
void TextBuffer::prepareGap(qsizetype position, qsizetype needed)
{
    if (!m_store.isDetached()) {
        copyStoreWithGap(position, needed + spareGapLength());
        return;
    }
    moveGap(position);
    if (m_gapLength < needed)
        growGap(needed + spareGapLength());
}

// For a store shared with a caller's string: copying it is unavoidable, and done once with the
// gap already in place.
void TextBuffer::copyStoreWithGap(qsizetype position, qsizetype gapLength)
{
    const qsizetype textSize = size();
    const Pieces before = piecesOf(0, position);
    const Pieces after = piecesOf(position, textSize);
    QString store(textSize + gapLength, Qt::Uninitialized);
    QChar *data = store.data();
    copyCharacters(data, before.beforeGap);
    copyCharacters(data + before.beforeGap.size(), before.afterGap);
    QChar *afterData = data + position + gapLength;
    copyCharacters(afterData, after.beforeGap);
    copyCharacters(afterData + after.beforeGap.size(), after.afterGap);
    m_store = std::move(store);
    m_gapStart = position;
    m_gapLength = gapLength;
}

// Grows the store in place where the allocator can (a large block is remapped, not copied),
// then moves the characters after the gap to the new end.
void TextBuffer::growGap(qsizetype gapLength)
{
    const qsizetype oldTotal = m_store.size();
    const qsizetype oldGapEnd = m_gapStart + m_gapLength;
    const qsizetype newTotal = oldTotal + gapLength - m_gapLength;
    m_store.reserve(newTotal);
    m_store.resize(newTotal);
    QChar *data = m_store.data();
    std::memmove(static_cast<void *>(data + m_gapStart + gapLength), data + oldGapEnd,
                 size_t(oldTotal - oldGapEnd) * sizeof(QChar));
    m_gapLength = gapLength;
}

void TextBuffer::moveGap(qsizetype position) const
{
    if (position == m_gapStart)
        return;
    if (m_gapLength > 0) {
        QChar *data = m_store.data();
        if (position < m_gapStart) {
            std::memmove(static_cast<void *>(data + position + m_gapLength), data + position,
                         size_t(m_gapStart - position) * sizeof(QChar));
        } else {
            std::memmove(static_cast<void *>(data + m_gapStart), data + m_gapStart + m_gapLength,
                         size_t(position - m_gapStart) * sizeof(QChar));
        }
    }
    m_gapStart = position;
}

// Room for more typing without growing the store each time, in proportion to the text so that
// growing it costs a constant share per character typed.
qsizetype TextBuffer::spareGapLength() const
{
    return std::max<qsizetype>(4096, size() / 64);
}

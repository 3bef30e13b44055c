// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/LineIndex.h"

#include "textarea/PieceTable.h"

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

QChar characterBefore(const PieceTable &text, qsizetype position)
{
    return position > 0 ? text.at(position - 1) : QChar();
}

// The first CR or LF from next on, or end. Ordinary characters are passed four at a time: a
// group is looked into only when one of its characters is below U+000E, as CR and LF are.
// The first few are looked at one by one, since in a text of short lines the next line end is
// often right there.
const char16_t *findLineEndCharacter(const char16_t *next, const char16_t *const end)
{
    constexpr quint64 Lanes = 0x0001'0001'0001'0001;
    constexpr quint64 LaneSigns = 0x8000'8000'8000'8000;
    for (;;) {
        const char16_t *const groupEnd = std::min(next + 4, end);
        for (; next != groupEnd; ++next) {
            if (*next == CarriageReturn || *next == LineFeed)
                return next;
        }
        if (next == end)
            return end;
        for (; end - next >= 4; next += 4) {
            quint64 group = 0;
            std::memcpy(&group, next, sizeof group);
            // A lane below U+000E borrows into its sign bit; a lane at U+8000 or above does not
            // count, having its own sign bit set.
            if (((group - Lanes * 0x0E) & ~group & LaneSigns) != 0)
                break;
        }
    }
}

// Calls found(position) for each position from one to another where a line end starts, in
// order, until it returns false; returns that position, or to.
template<typename Found>
qsizetype visitLineEnds(const PieceTable &text, qsizetype from, qsizetype to, Found &&found)
{
    char16_t previous = characterBefore(text, from).unicode();
    qsizetype position = from;
    text.visitPieces(from, to, [&](QStringView characters) {
        const char16_t *const begin = characters.utf16();
        const char16_t *const end = begin + characters.size();
        for (const char16_t *next = begin; next != end;) {
            const char16_t character = *next;
            // Line ends one after another (empty lines) without a look for the next.
            if (character != CarriageReturn && character != LineFeed) {
                next = findLineEndCharacter(next, end);
                previous = next[-1];
                continue;
            }
            if (startsLineEnd(character, previous) && !found(position + (next - begin))) {
                position += next - begin;
                return false;
            }
            previous = character;
            ++next;
        }
        position += characters.size();
        return true;
    });
    return position;
}

} // namespace

LineIndex::LineIndex(qsizetype blockLength)
    : m_blockLength(std::clamp<qsizetype>(blockLength, 2, qsizetype(1) << 20))
{}

void LineIndex::setText(const PieceTable &text)
{
    forgetLineEnds();
    setBlocks(summarizeRange(text, 0, text.size(), 0));
}

void LineIndex::replace(const PieceTable &text, qsizetype position, qsizetype removedLength,
                        qsizetype insertedLength)
{
    forgetLineEnds();
    const qsizetype oldSize = whole().length;
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
        const BlockPlace lastPlace
            = blockAtPosition(std::min(position + removedLength, oldSize - 1));
        first = firstPlace.index;
        last = lastPlace.index;
        regionStart = firstPlace.position;
        regionEnd = lastPlace.position + block(last).length;
        preferredCount = last - first + 1;
        // A region that has become small takes in a neighbour, so that deletions do not leave
        // ever more tiny blocks behind.
        const qsizetype newRegionLength = regionEnd - regionStart - removedLength + insertedLength;
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

    replaceBlocks(first, last,
                  summarizeRange(text, regionStart, regionEnd - removedLength + insertedLength,
                                 preferredCount));
}

qsizetype LineIndex::lineCount() const
{
    return whole().lineEnds + 1;
}

qsizetype LineIndex::lineStart(const PieceTable &text, qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    line = std::clamp<qsizetype>(line, 0, whole().lineEnds);
    if (line == 0)
        return 0;
    const qsizetype endPosition = lineEndPosition(text, line - 1);
    const bool pair = text.at(endPosition) == CarriageReturn && endPosition + 1 < text.size()
                      && text.at(endPosition + 1) == LineFeed;
    return endPosition + (pair ? 2 : 1);
}

qsizetype LineIndex::lineEnd(const PieceTable &text, qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    const qsizetype lastLine = whole().lineEnds;
    line = std::clamp<qsizetype>(line, 0, lastLine);
    return line == lastLine ? text.size() : lineEndPosition(text, line);
}

qsizetype LineIndex::lineAt(const PieceTable &text, qsizetype position) const
{
    const qsizetype textSize = text.size();
    Q_ASSERT(position >= 0 && position <= textSize);
    position = std::clamp<qsizetype>(position, 0, textSize);
    if (position == textSize)
        return whole().lineEnds;
    const BlockPlace place = blockAtPosition(position);
    qsizetype line = place.line;
    if (const std::vector<qint32> *lineEnds = keptLineEnds(text, place)) {
        line += std::lower_bound(lineEnds->begin(), lineEnds->end(),
                                 qint32(position - place.position))
                - lineEnds->begin();
    } else {
        visitLineEnds(text, place.position, position, [&line](qsizetype) {
            ++line;
            return true;
        });
    }
    // Between the CR and the LF of a pair is still on the line the pair ends.
    if (position > 0 && text.at(position - 1) == CarriageReturn && text.at(position) == LineFeed)
        --line;
    return line;
}

qsizetype LineIndex::longestLineLength() const
{
    const Block &all = whole();
    return std::max({all.leading, all.longestInside, all.trailing});
}

qsizetype LineIndex::longestLine(const PieceTable &text) const
{
    const qsizetype longest = longestLineLength();
    // The length of the line still open at the block's start, which began in blocks before.
    qsizetype open = 0;
    qsizetype linesBefore = 0;
    for (qsizetype index = 0; index < blockCount(); ++index) {
        const Block &current = block(index);
        // Not its length: a block may start with the LF of a CR LF that began before it.
        if (current.lineEnds == 0) {
            open += current.leading;
            continue;
        }
        if (open + current.leading == longest)
            return linesBefore;
        if (current.longestInside == longest) {
            for (qsizetype line = linesBefore + 1; line < linesBefore + current.lineEnds; ++line) {
                if (lineEnd(text, line) - lineStart(text, line) == longest)
                    return line;
            }
        }
        open = current.trailing;
        linesBefore += current.lineEnds;
    }
    return linesBefore;
}

// Runs over every character of the text once in setText, so it keeps to plain 16-bit values.
LineIndex::Block LineIndex::summarize(const PieceTable &text, qsizetype from, qsizetype to)
{
    Block block;
    block.length = to - from;
    qsizetype run = 0;
    char16_t previous = characterBefore(text, from).unicode();
    text.visitPieces(from, to, [&](QStringView characters) {
        if (characters.isEmpty())
            return true;
        const char16_t *next = characters.utf16();
        const char16_t *const end = next + characters.size();
        // The LF of a CR LF whose CR ended the stretch before.
        if (previous == CarriageReturn && *next == LineFeed)
            ++next;
        while (next != end) {
            const char16_t *const lineEnd = findLineEndCharacter(next, end);
            run += lineEnd - next;
            if (lineEnd == end)
                break;
            if (block.lineEnds == 0)
                block.leading = run;
            else
                block.longestInside = std::max(block.longestInside, run);
            ++block.lineEnds;
            run = 0;
            next = lineEnd + 1;
            // A CR LF is one line end.
            if (*lineEnd == CarriageReturn && next != end && *next == LineFeed)
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
std::vector<LineIndex::Block> LineIndex::summarizeRange(const PieceTable &text, qsizetype from,
                                                        qsizetype to,
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
        blocks.push_back(summarize(text, start, start + blockLength));
        start += blockLength;
    }
    return blocks;
}

LineIndex::Block LineIndex::join(const Block &before, const Block &after)
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

const LineIndex::Block &LineIndex::whole() const
{
    static const Block nothing;
    return m_nodes.size() > 1 ? m_nodes[1] : nothing;
}

// position must lie inside the text.
LineIndex::BlockPlace LineIndex::blockAtPosition(qsizetype position) const
{
    return descendTo<&Block::length, &BlockPlace::position>(position);
}

// lineEnd must be below the number of line ends.
LineIndex::BlockPlace LineIndex::blockOfLineEnd(qsizetype lineEnd) const
{
    return descendTo<&Block::lineEnds, &BlockPlace::line>(lineEnd);
}

// The block holding the target-th unit that Count counts (characters or line ends), found by a
// walk from the root that adds up the blocks passed on the left.
template<qsizetype LineIndex::Block::*Count, qsizetype LineIndex::BlockPlace::*Counted>
LineIndex::BlockPlace LineIndex::descendTo(qsizetype target) const
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

void LineIndex::setBlocks(const std::vector<Block> &blocks)
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
void LineIndex::replaceBlocks(qsizetype first, qsizetype last, const std::vector<Block> &blocks)
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
qsizetype LineIndex::lineEndPosition(const PieceTable &text, qsizetype lineEnd) const
{
    const BlockPlace place = blockOfLineEnd(lineEnd);
    const qsizetype inBlock = lineEnd - place.line;
    if (const std::vector<qint32> *lineEnds = keptLineEnds(text, place))
        return place.position + (*lineEnds)[size_t(inBlock)];
    qsizetype remaining = inBlock;
    return visitLineEnds(text, place.position, place.position + block(place.index).length,
                         [&remaining](qsizetype) { return remaining-- > 0; });
}

// The line ends of a block asked about twice in a row, kept; nullptr for a block asked about
// for the first time, which is scanned only as far as needed: looks here and there in the text
// would otherwise each pay for a whole block.
const std::vector<qint32> *LineIndex::keptLineEnds(const PieceTable &text,
                                                   const BlockPlace &place) const
{
    for (const BlockLineEnds &kept : m_lineEndCache) {
        if (kept.index == place.index)
            return &kept.offsets;
    }
    if (place.index != m_lastBlockAskedAbout) {
        m_lastBlockAskedAbout = place.index;
        return nullptr;
    }
    BlockLineEnds &slot = m_lineEndCache[m_nextCacheSlot];
    m_nextCacheSlot = (m_nextCacheSlot + 1) % m_lineEndCache.size();
    slot.index = place.index;
    slot.offsets.clear();
    visitLineEnds(text, place.position, place.position + block(place.index).length,
                  [&](qsizetype position) {
                      slot.offsets.push_back(qint32(position - place.position));
                      return true;
                  });
    return &slot.offsets;
}

void LineIndex::forgetLineEnds()
{
    for (BlockLineEnds &kept : m_lineEndCache)
        kept.index = -1;
    m_lastBlockAskedAbout = -1;
}

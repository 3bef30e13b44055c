// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/LineWindows.h"

#include "textarea/CharacterAdvances.h"
#include "textarea/TextBuffer.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// What a window may cost to shape, in characters of the 16-bit range: about a millisecond.
constexpr qsizetype Budget = 4096;
// An emoji costs as much as this many: its colour glyph is decoded again each time a line holding
// it is shaped (about 0.15 ms each here).
constexpr qsizetype EmojiCost = 512;
// How much more a window may cost to reach a space to end after.
constexpr qsizetype SpaceReach = 256;
// A window never holds more characters than this, even inside one long grapheme cluster.
constexpr qsizetype LongestWindow = 2 * Budget;
// Characters looked at on each side of a column to tell whether a cluster ends there.
constexpr qsizetype BoundaryContext = 32;

// What a character costs to shape, counted at the first half of a pair: the pictographs
// U+1F000 to U+1FFFF (emoji, flags) cost most, anything else about the same.
qsizetype costOf(QChar character)
{
    if (!character.isSurrogate())
        return 1;
    if (character.isLowSurrogate())
        return 0;
    return character.unicode() >= 0xD83C && character.unicode() <= 0xD83F ? EmojiCost : 2;
}

bool isLeftToRight(QChar character)
{
    return character.direction() == QChar::DirL;
}

bool isAtBoundary(QTextBoundaryFinder &finder, qsizetype position)
{
    finder.setPosition(position);
    return finder.isAtBoundary();
}

} // namespace

LineWindows::LineWindows(const TextBuffer &buffer, const CharacterAdvances &advances,
                         qsizetype lineStart, qsizetype lineLength, quint64 &nextId)
    : m_buffer(buffer)
    , m_advances(advances)
    , m_nextId(nextId)
    , m_lineLength(lineLength)
    , m_windows(cut(lineStart, 0, lineLength, 0))
{
    keepOneWindow();
}

// An empty line is one empty window, so that every column lies in one.
void LineWindows::keepOneWindow()
{
    if (m_windows.empty())
        m_windows.push_back({0, 0, true, false, ++m_nextId});
}

// Where a window of these characters ends: after the cluster that reaches the budget, or a
// little later after a space, and never past the longest window.
qsizetype LineWindows::windowLength(QStringView characters, qsizetype available)
{
    qsizetype cost = 0;
    qsizetype reached = 0;
    while (reached < available && reached < LongestWindow && cost < Budget)
        cost += costOf(characters[reached++]);
    if (cost < Budget && reached == available)
        return available;
    // After a tab the next window starts at a tab stop, wherever the windows before it were
    // measured to end: the tab stops in it stand where the whole line would have them.
    for (qsizetype end = std::min(reached + SpaceReach, available - 1); end > reached / 2; --end) {
        if (characters[end - 1] == u'\t' && !characters[end].isLowSurrogate()
            && QChar::category(characters[end].unicode()) != QChar::Mark_NonSpacing)
            return end;
    }
    // Only the characters around the end are looked at for clusters: finding them costs far
    // more than summing advances.
    const qsizetype from = std::max<qsizetype>(0, reached - BoundaryContext);
    const qsizetype to
        = std::min(available, std::min(characters.size(), reached + SpaceReach + BoundaryContext));
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme,
                                 characters.sliced(from, to - from).toString());
    qsizetype firstBoundary = -1;
    qsizetype afterSpace = -1;
    qsizetype extraCost = 0;
    const qsizetype last = to - (to < available ? 1 : 0);
    for (qsizetype end = std::max<qsizetype>(1, reached); end < last; ++end) {
        if (isAtBoundary(clusters, end - from)) {
            if (characters[end - 1].isSpace()) {
                // Between words that read from left to right, the cut splits no run of the
                // other direction, so each window orders its text as the whole line would.
                if (end >= 2 && isLeftToRight(characters[end - 2])
                    && isLeftToRight(characters[end]))
                    return end;
                if (afterSpace < 0)
                    afterSpace = end;
            }
            if (firstBoundary < 0)
                firstBoundary = end;
        }
        extraCost += costOf(characters[end]);
        if (firstBoundary > 0 && extraCost > SpaceReach)
            break;
    }
    if (afterSpace > 0)
        return afterSpace;
    if (firstBoundary > 0)
        return firstBoundary;
    // Not even a cluster ends near: at least a pair stays whole.
    const qsizetype end = std::min(available, LongestWindow);
    return end < available && characters[end].isLowSurrogate() ? end + 1 : end;
}

LineWindows::Window LineWindows::nextWindow(qsizetype lineStart, qsizetype from, qsizetype to,
                                            qreal x)
{
    const qsizetype available = to - from;
    // One character more than a window may hold, to keep a pair whole at its end.
    const QString characters
        = m_buffer.mid(lineStart + from, std::min(available, LongestWindow + 1));
    Window window;
    window.id = ++m_nextId;
    window.length = windowLength(characters, std::min(available, characters.size()));
    qreal end = x;
    QChar previous = from > 0 ? m_buffer.at(lineStart + from - 1) : QChar();
    for (qsizetype index = 0; index < window.length; ++index) {
        const QChar character = characters[index];
        const QChar next = index + 1 < characters.size() ? characters[index + 1] : QChar();
        end = m_advances.after(end, previous, character, next);
        window.hasTab = window.hasTab || character == u'\t';
        previous = character;
    }
    window.width = end - x;
    return window;
}

std::vector<LineWindows::Window> LineWindows::cut(qsizetype lineStart, qsizetype from, qsizetype to,
                                                  qreal x)
{
    std::vector<Window> windows;
    while (from < to) {
        const Window window = nextWindow(lineStart, from, to, x);
        windows.push_back(window);
        from += window.length;
        x += window.width;
    }
    return windows;
}

void LineWindows::updateStarts() const
{
    if (m_startsValid)
        return;
    m_starts.resize(m_windows.size() + 1);
    m_xs.resize(m_windows.size() + 1);
    qsizetype column = 0;
    qreal x = 0;
    for (std::size_t index = 0; index < m_windows.size(); ++index) {
        m_starts[index] = column;
        m_xs[index] = x;
        column += m_windows[index].length;
        x += m_windows[index].width;
    }
    m_starts.back() = column;
    m_xs.back() = x;
    m_startsValid = true;
}

qsizetype LineWindows::start(qsizetype index) const
{
    updateStarts();
    return m_starts[std::size_t(index)];
}

qreal LineWindows::x(qsizetype index) const
{
    updateStarts();
    return m_xs[std::size_t(index)];
}

qsizetype LineWindows::indexOfColumn(qsizetype column) const
{
    updateStarts();
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end() - 1, column);
    return std::clamp<qsizetype>(after - m_starts.begin() - 1, 0, count() - 1);
}

qsizetype LineWindows::indexOfX(qreal x) const
{
    updateStarts();
    const auto after = std::upper_bound(m_xs.begin(), m_xs.end() - 1, x);
    return std::clamp<qsizetype>(after - m_xs.begin() - 1, 0, count() - 1);
}

void LineWindows::setShapedWidth(qsizetype index, qreal width)
{
    Window &window = m_windows[std::size_t(index)];
    window.shaped = true;
    if (window.width != width) {
        window.width = width;
        m_startsValid = false;
    }
}

qsizetype LineWindows::shapedCount() const
{
    while (m_shapedHint < count() && m_windows[std::size_t(m_shapedHint)].shaped)
        ++m_shapedHint;
    return m_shapedHint;
}

bool LineWindows::isBoundary(qsizetype lineStart, qsizetype lineLength, qsizetype column) const
{
    if (column <= 0 || column >= lineLength)
        return true;
    const qsizetype from = std::max<qsizetype>(0, column - BoundaryContext);
    const qsizetype to = std::min(lineLength, column + BoundaryContext);
    const QString around = m_buffer.mid(lineStart + from, to - from);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, around);
    return isAtBoundary(clusters, column - from);
}

void LineWindows::replace(qsizetype lineStart, qsizetype column, qsizetype removed, qsizetype added)
{
    updateStarts();
    // The window holding the character before the change: a cluster ending there may now go on.
    qsizetype first = indexOfColumn(std::max<qsizetype>(0, column - 1));
    qsizetype last = indexOfColumn(column + removed);
    if (column + removed == m_starts[std::size_t(last)] && last > first)
        --last;
    const qsizetype from = m_starts[std::size_t(first)];
    const qsizetype lineLength = m_lineLength - removed + added;
    qsizetype to = m_starts[std::size_t(last) + 1] - removed + added;
    // Where the change ends a cluster may have grown into the next window: that one goes too.
    while (std::size_t(last) + 1 < m_windows.size() && !isBoundary(lineStart, lineLength, to)) {
        ++last;
        to += m_windows[std::size_t(last)].length;
    }
    const std::vector<Window> windows = cut(lineStart, from, to, m_xs[std::size_t(first)]);
    m_windows.erase(m_windows.begin() + first, m_windows.begin() + last + 1);
    m_windows.insert(m_windows.begin() + first, windows.begin(), windows.end());
    keepOneWindow();
    m_lineLength = lineLength;
    m_startsValid = false;
    m_shapedHint = std::min(m_shapedHint, first);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

#include <vector>

class CharacterAdvances;
class TextBuffer;

// The windows a long line is laid out in: stretches of a few thousand characters, each ending
// where a grapheme cluster ends, preferably after a tab or a space between words that read from
// left to right, so that no cluster, few words and no run of right-to-left text are cut. Each
// window is shaped and ordered on its own, and starts where the windows before it end.
//
// Where a window starts is the sum of the shaped widths of the windows before it, found as the
// line is read from its start and kept: once found it holds until an edit before it. Until a
// window is shaped its width is the sum of its characters' advances, which costs a thousandth
// of shaping, so the line's whole width is known at once for the scroll bar. Windows hold fewer
// characters where shaping costs more (emoji above all), so that each costs about the same.
class LineWindows
{
public:
    struct Window
    {
        qsizetype length = 0;
        qreal width = 0;
        bool shaped = false;
        bool hasTab = false;
        // Names the window's layout while its characters stay the same.
        quint64 id = 0;
    };

    // Cuts the line of lineLength characters starting at lineStart into windows.
    LineWindows(const TextBuffer &buffer, const CharacterAdvances &advances, qsizetype lineStart,
                qsizetype lineLength, quint64 &nextId);

    qsizetype count() const { return qsizetype(m_windows.size()); }
    const Window &window(qsizetype index) const { return m_windows[std::size_t(index)]; }
    // The column the index'th window starts at.
    qsizetype start(qsizetype index) const;
    // The x the index'th window starts at, from the line's start.
    qreal x(qsizetype index) const;
    qreal width() const { return x(count()); }
    // The window holding the character at column; the line's end is in the last window.
    qsizetype indexOfColumn(qsizetype column) const;
    // The window drawn at x; before the line the first, after it the last.
    qsizetype indexOfX(qreal x) const;

    // The window was laid out: its shaped width replaces the summed one.
    void setShapedWidth(qsizetype index, qreal width);
    // How many windows from the line's start are shaped: where they start is final.
    qsizetype shapedCount() const;
    // removed characters at column gave way to added ones; the line stays one line. Only the
    // windows the change touches are cut again.
    void replace(qsizetype lineStart, qsizetype column, qsizetype removed, qsizetype added);

private:
    static qsizetype windowLength(QStringView characters, qsizetype available);
    std::vector<Window> cut(qsizetype lineStart, qsizetype from, qsizetype to, qreal x);
    Window nextWindow(qsizetype lineStart, qsizetype from, qsizetype to, qreal x);
    void keepOneWindow();
    bool isBoundary(qsizetype lineStart, qsizetype lineLength, qsizetype column) const;
    void updateStarts() const;

    const TextBuffer &m_buffer;
    const CharacterAdvances &m_advances;
    quint64 &m_nextId;
    qsizetype m_lineLength = 0;
    std::vector<Window> m_windows;
    // Where each window starts, and the line's end after the last; brought up to date on use.
    mutable std::vector<qsizetype> m_starts;
    mutable std::vector<qreal> m_xs;
    mutable bool m_startsValid = false;
    // No window before this one is waiting to be shaped.
    mutable qsizetype m_shapedHint = 0;
};

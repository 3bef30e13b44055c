// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/CharacterAdvances.h"
#include "textarea/LineWindows.h"

#include <QFont>
#include <QTextLayout>

#include <memory>
#include <optional>
#include <unordered_map>

class QPainter;
class TextBuffer;

// How each line of a text is shaped, where its characters stand, and how it is drawn: as
// QPlainTextEdit lays out a block, with QTextLayout (shaping, kerning, bidi order, fallback
// fonts, a tab stop every 80 pixels) on one line that never wraps. Only lines asked about are
// laid out, and the layouts of the last few hundred are kept, so that painting, the caret and
// clicks read the same layout and a glyph never moves between two paints.
//
// A line of up to WholeLine characters is laid out whole. A longer one is laid out in windows
// (LineWindows) around what is asked about: bidi order and shaping then hold within each window,
// and once the line was read to a place, a key or a paint there costs what it does in a short
// line.
//
// x counts pixels from the line's left end, in double precision: QTextLayout's own fixed point
// reaches only about 33 million pixels.
class LineLayouts
{
public:
    LineLayouts(const TextBuffer &buffer, const QFont &font);
    ~LineLayouts();

    static constexpr qsizetype WholeLine = 10000;

    // The height of a line's row, in whole pixels; the font's own, whatever fallback fonts the
    // line's characters are drawn in.
    int rowHeight() const { return m_rowHeight; }
    // Whether every glyph of the line is sure to be drawn inside its own row, so that the rows
    // beside it need no repaint when it changes. Only lines of plain letters are known to keep
    // to it; marks stacked by shaping, other scripts and emoji may reach past it.
    bool staysInRow(qsizetype line) const;

    // The x of the caret before column.
    qreal x(qsizetype line, qsizetype column) const;
    qreal width(qsizetype line) const;
    // The caret column nearest to x.
    qsizetype columnAt(qsizetype line, qreal x) const;

    struct Span
    {
        qreal left = 0;
        qreal width = 0;
    };
    // Where the character at column is drawn: the whole of the grapheme cluster it belongs to.
    // A line end is a space's width beyond the line's right end.
    Span characterSpan(qsizetype line, qsizetype column) const;
    // Whether the line's first strong character reads from right to left, which is how
    // QTextBlock tells a paragraph's direction (and Left and Right swap their moves in it).
    bool isRightToLeft(qsizetype line) const;

    struct Highlight
    {
        qsizetype from = 0;
        qsizetype to = 0;
        QTextCharFormat format;
    };
    // Text an input method is composing at column, with its own caret.
    struct Preedit
    {
        qsizetype column = 0;
        QString text;
        qsizetype caret = 0;
    };
    // Draws what of the line lies between the x of left and right, the line's left end at
    // origin.x() and its top at origin.y(), with the highlighted columns in their format.
    void draw(QPainter &painter, qsizetype line, QPointF origin, qreal left, qreal right,
              const std::optional<Highlight> &highlight) const;
    // Draws the part of the line that holds the composition, with it underlined.
    void drawWithPreedit(QPainter &painter, qsizetype line, QPointF origin,
                         const Preedit &preedit) const;
    // The x of the composition's caret.
    qreal preeditCaretX(qsizetype line, const Preedit &preedit) const;

    // The text was replaced from the column of firstLine on: removed characters gave way to
    // added ones, and the lines from firstLine to lastLineBefore are now those to lastLineAfter.
    void textReplaced(qsizetype firstLine, qsizetype column, qsizetype lastLineBefore,
                      qsizetype lastLineAfter, qsizetype removed, qsizetype added);
    void forgetAll();

private:
    // A laid-out stretch of a line: the whole line, or one of its windows.
    struct Piece
    {
        qsizetype column = 0;
        qsizetype length = 0;
        // Where the piece starts, from the line's left end.
        qreal x = 0;
        // Where the layout puts the piece's start: it starts from where its tab stops count.
        qreal offset = 0;
        // Which of the line's windows it is; -1 for a whole line.
        qsizetype window = -1;
        std::shared_ptr<const QTextLayout> layout;
    };
    struct LayoutKey
    {
        qsizetype line;
        quint64 window;
        bool operator==(const LayoutKey &other) const = default;
    };
    struct LayoutKeyHash
    {
        std::size_t operator()(const LayoutKey &key) const;
    };
    struct CachedLayout
    {
        std::shared_ptr<const QTextLayout> layout;
        qreal offset = 0;
        Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;
        quint64 lastUse = 0;
        bool staysInRow = false;
    };
    struct WindowedLine
    {
        LineWindows windows;
        Qt::LayoutDirection direction;
        quint64 lastUse = 0;
    };

    Piece wholeLine(qsizetype line) const;
    void shapeWindowsBefore(qsizetype line, WindowedLine &windowed, qsizetype index) const;
    Piece windowPiece(qsizetype line, WindowedLine &windowed, qsizetype index) const;
    Piece pieceHolding(qsizetype line, qsizetype column) const;
    Piece pieceAt(qsizetype line, qreal x) const;
    Piece pieceWithPreedit(qsizetype line, const Preedit &preedit) const;
    WindowedLine &windowedLine(qsizetype line) const;
    Qt::LayoutDirection directionOfWindows(qsizetype line, const LineWindows &windows) const;
    std::shared_ptr<const QTextLayout> cachedLayout(const LayoutKey &key, qsizetype from,
                                                    qsizetype length, Qt::LayoutDirection direction,
                                                    qreal offset) const;
    std::unique_ptr<QTextLayout> makeLayout(qsizetype from, qsizetype length,
                                            Qt::LayoutDirection direction, qreal offset,
                                            const Preedit *preedit = nullptr) const;
    void drawPiece(QPainter &painter, const Piece &piece, QPointF origin,
                   const std::optional<Highlight> &highlight) const;
    void forgetOldLayouts() const;
    bool textStaysInRow(QStringView text) const;
    bool characterStaysInRow(QChar character) const;

    const TextBuffer &m_buffer;
    QFont m_font;
    CharacterAdvances m_advances;
    qreal m_ascent;
    qreal m_spaceWidth;
    int m_rowHeight;
    mutable std::unordered_map<char16_t, bool> m_charactersInRow;
    mutable quint64 m_clock = 0;
    mutable quint64 m_nextWindowId = 0;
    mutable std::unordered_map<LayoutKey, CachedLayout, LayoutKeyHash> m_layouts;
    mutable std::unordered_map<qsizetype, WindowedLine> m_windowedLines;
};

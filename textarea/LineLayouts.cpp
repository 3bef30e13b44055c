// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/LineLayouts.h"

#include "textarea/TextBuffer.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// QTextDocument's default tab stop, which QPlainTextEdit kept.
constexpr qreal TabStop = 80;
// Layouts kept: far more lines than a screen shows.
constexpr std::size_t KeptLayouts = 512;
// Lines of windows kept; each holds only a few numbers per window.
constexpr std::size_t KeptWindowedLines = 8;

// QPlainTextEdit's block options: QTextDocument's defaults, never wrapped.
QTextOption lineOption(Qt::LayoutDirection direction)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(TabStop);
    option.setTextDirection(direction);
    return option;
}

// A line or paragraph separator would end the layout's one line; the area's lines end only at CR
// and LF, so such a separator stands on its line as a space.
void keepOnOneLine(QString &text)
{
    for (QChar &character : text) {
        if (character == QChar::LineSeparator || character == QChar::ParagraphSeparator)
            character = u' ';
    }
}

} // namespace

std::size_t LineLayouts::LayoutKeyHash::operator()(const LayoutKey &key) const
{
    return std::hash<qsizetype>()(key.line) ^ (std::hash<quint64>()(key.window) << 1);
}

LineLayouts::LineLayouts(const TextBuffer &buffer, const QFont &font)
    : m_buffer(buffer)
    , m_font(font)
    , m_advances(font)
    , m_ascent(QFontMetricsF(font).ascent())
    , m_spaceWidth(QFontMetricsF(font).horizontalAdvance(u' '))
    , m_rowHeight(std::max(1, int(std::ceil(QFontMetricsF(font).height()))))
{}

LineLayouts::~LineLayouts() = default;

// ---- Layouts

std::unique_ptr<QTextLayout> LineLayouts::makeLayout(qsizetype from, qsizetype length,
                                                     Qt::LayoutDirection direction, qreal offset,
                                                     const Preedit *preedit) const
{
    QString text = m_buffer.mid(from, length);
    keepOnOneLine(text);
    auto layout = std::make_unique<QTextLayout>(text, m_font);
    // Kept laid out, so that drawing and every question of position reuse the shaping.
    layout->setCacheEnabled(true);
    layout->setTextOption(lineOption(direction));
    if (preedit) {
        const int at = int(preedit->column);
        layout->setPreeditArea(at, preedit->text);
        QTextCharFormat underlined;
        underlined.setFontUnderline(true);
        layout->setFormats({{at, int(preedit->text.size()), underlined}});
    }
    layout->beginLayout();
    QTextLine line = layout->createLine();
    // Where the line starts decides its tab stops, so it goes there before it is laid out.
    line.setPosition(QPointF(offset, 0));
    line.setLineWidth(qreal(INT_MAX));
    layout->endLayout();
    return layout;
}

void LineLayouts::forgetOldLayouts() const
{
    if (m_layouts.size() < KeptLayouts)
        return;
    std::vector<quint64> uses;
    uses.reserve(m_layouts.size());
    for (const auto &[key, cached] : m_layouts)
        uses.push_back(cached.lastUse);
    const auto middle = uses.begin() + std::ptrdiff_t(uses.size() / 2);
    std::nth_element(uses.begin(), middle, uses.end());
    std::erase_if(m_layouts,
                  [oldest = *middle](const auto &entry) { return entry.second.lastUse < oldest; });
}

std::shared_ptr<const QTextLayout> LineLayouts::cachedLayout(const LayoutKey &key, qsizetype from,
                                                             qsizetype length,
                                                             Qt::LayoutDirection direction,
                                                             qreal offset) const
{
    const auto found = m_layouts.find(key);
    if (found != m_layouts.end() && found->second.offset == offset
        && found->second.direction == direction) {
        found->second.lastUse = ++m_clock;
        return found->second.layout;
    }
    forgetOldLayouts();
    std::shared_ptr<const QTextLayout> layout = makeLayout(from, length, direction, offset);
    m_layouts[key] = {layout, offset, direction, ++m_clock, textStaysInRow(layout->text())};
    return layout;
}

bool LineLayouts::staysInRow(qsizetype line) const
{
    if (m_buffer.lineLength(line) > WholeLine)
        return false;
    wholeLine(line);
    return m_layouts.at({line, 0}).staysInRow;
}

bool LineLayouts::textStaysInRow(QStringView text) const
{
    return std::all_of(text.begin(), text.end(),
                       [this](QChar character) { return characterStaysInRow(character); });
}

// A character of the scripts drawn glyph by glyph, whose glyph keeps a pixel inside the row, as
// antialiasing may reach one further.
bool LineLayouts::characterStaysInRow(QChar character) const
{
    const auto known = m_charactersInRow.find(character.unicode());
    if (known != m_charactersInRow.end())
        return known->second;
    bool inRow = false;
    switch (character.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
        if (!character.isSurrogate() && !character.isMark()
            && character.category() != QChar::Other_Format) {
            const QRectF glyph = QFontMetricsF(m_font).boundingRect(character);
            inRow = glyph.top() >= 1 - m_ascent && glyph.bottom() <= m_rowHeight - m_ascent - 1;
        }
        break;
    default:
        break;
    }
    m_charactersInRow.emplace(character.unicode(), inRow);
    return inRow;
}

LineLayouts::Piece LineLayouts::wholeLine(qsizetype line) const
{
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype length = m_buffer.lineEnd(line) - start;
    Piece piece;
    piece.length = length;
    piece.layout = cachedLayout({line, 0}, start, length, Qt::LayoutDirectionAuto, 0);
    return piece;
}

// ---- Windows of long lines

Qt::LayoutDirection LineLayouts::directionOfWindows(qsizetype line,
                                                    const LineWindows &windows) const
{
    const QString first = m_buffer.mid(m_buffer.lineStart(line), windows.window(0).length);
    return first.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

LineLayouts::WindowedLine &LineLayouts::windowedLine(qsizetype line) const
{
    const auto found = m_windowedLines.find(line);
    if (found != m_windowedLines.end()) {
        found->second.lastUse = ++m_clock;
        return found->second;
    }
    if (m_windowedLines.size() >= KeptWindowedLines) {
        m_windowedLines.erase(std::min_element(m_windowedLines.begin(), m_windowedLines.end(),
                                               [](const auto &first, const auto &second) {
                                                   return first.second.lastUse
                                                          < second.second.lastUse;
                                               }));
    }
    LineWindows windows(m_buffer, m_advances, m_buffer.lineStart(line), m_buffer.lineLength(line),
                        m_nextWindowId);
    const Qt::LayoutDirection direction = directionOfWindows(line, windows);
    return m_windowedLines.emplace(line, WindowedLine{std::move(windows), direction, ++m_clock})
        .first->second;
}

// Where a window starts is final only once every window before it is shaped; those are measured
// on the way, in order, without keeping their layouts.
void LineLayouts::shapeWindowsBefore(qsizetype line, WindowedLine &windowed, qsizetype index) const
{
    LineWindows &windows = windowed.windows;
    const qsizetype lineStart = m_buffer.lineStart(line);
    for (qsizetype before = windows.shapedCount(); before < index; before = windows.shapedCount()) {
        const LineWindows::Window window = windows.window(before);
        const qreal offset = window.hasTab ? std::fmod(windows.x(before), TabStop) : 0;
        const std::unique_ptr<QTextLayout> layout = makeLayout(
            lineStart + windows.start(before), window.length, windowed.direction, offset);
        windows.setShapedWidth(before, layout->lineAt(0).horizontalAdvance());
    }
}

LineLayouts::Piece LineLayouts::windowPiece(qsizetype line, WindowedLine &windowed,
                                            qsizetype index) const
{
    shapeWindowsBefore(line, windowed, index);
    LineWindows &windows = windowed.windows;
    const LineWindows::Window window = windows.window(index);
    Piece piece;
    piece.column = windows.start(index);
    piece.length = window.length;
    piece.x = windows.x(index);
    piece.window = index;
    // Tab stops count from the line's start, wherever the window starts.
    piece.offset = window.hasTab ? std::fmod(piece.x, TabStop) : 0;
    piece.layout = cachedLayout({line, window.id}, m_buffer.lineStart(line) + piece.column,
                                piece.length, windowed.direction, piece.offset);
    windows.setShapedWidth(index, piece.layout->lineAt(0).horizontalAdvance());
    return piece;
}

LineLayouts::Piece LineLayouts::pieceHolding(qsizetype line, qsizetype column) const
{
    if (m_buffer.lineLength(line) <= WholeLine)
        return wholeLine(line);
    WindowedLine &windowed = windowedLine(line);
    return windowPiece(line, windowed, windowed.windows.indexOfColumn(column));
}

LineLayouts::Piece LineLayouts::pieceAt(qsizetype line, qreal x) const
{
    if (m_buffer.lineLength(line) <= WholeLine)
        return wholeLine(line);
    WindowedLine &windowed = windowedLine(line);
    const LineWindows &windows = windowed.windows;
    // Shaping the windows before the one found may move it; a few rounds find where x is now.
    qsizetype index = windows.indexOfX(x);
    Piece piece = windowPiece(line, windowed, index);
    for (qsizetype found = windows.indexOfX(x); found != index; found = windows.indexOfX(x)) {
        index = found;
        piece = windowPiece(line, windowed, index);
    }
    return piece;
}

// ---- Positions

qreal LineLayouts::x(qsizetype line, qsizetype column) const
{
    const Piece piece = pieceHolding(line, column);
    return piece.x + piece.layout->lineAt(0).cursorToX(int(column - piece.column)) - piece.offset;
}

qreal LineLayouts::width(qsizetype line) const
{
    if (m_buffer.lineLength(line) <= WholeLine)
        return wholeLine(line).layout->lineAt(0).horizontalAdvance();
    return windowedLine(line).windows.width();
}

qsizetype LineLayouts::columnAt(qsizetype line, qreal x) const
{
    const Piece piece = pieceAt(line, x);
    return piece.column + piece.layout->lineAt(0).xToCursor(x - piece.x + piece.offset);
}

LineLayouts::Span LineLayouts::characterSpan(qsizetype line, qsizetype column) const
{
    const qsizetype length = m_buffer.lineLength(line);
    // As QPlainTextEdit shows a selected line end: at the line's right end, whichever way the
    // line reads.
    if (column >= length)
        return {width(line), m_spaceWidth};
    const Piece piece = pieceHolding(line, column);
    const QTextLayout &layout = *piece.layout;
    const int first = layout.previousCursorPosition(int(column - piece.column) + 1);
    const int last = layout.nextCursorPosition(first);
    const QTextLine textLine = layout.lineAt(0);
    const qreal from = textLine.cursorToX(first);
    const qreal to = textLine.cursorToX(last);
    return {piece.x + std::min(from, to) - piece.offset, std::abs(to - from)};
}

bool LineLayouts::isRightToLeft(qsizetype line) const
{
    if (m_buffer.lineLength(line) > WholeLine)
        return windowedLine(line).direction == Qt::RightToLeft;
    const QString text = m_buffer.mid(m_buffer.lineStart(line), m_buffer.lineLength(line));
    for (const QChar character : text) {
        switch (character.direction()) {
        case QChar::DirL:
            return false;
        case QChar::DirR:
        case QChar::DirAL:
            return true;
        default:
            break;
        }
    }
    return false;
}

// ---- Drawing

void LineLayouts::drawPiece(QPainter &painter, const Piece &piece, QPointF origin,
                            const std::optional<Highlight> &highlight) const
{
    QList<QTextLayout::FormatRange> selections;
    if (highlight) {
        const qsizetype from = std::max(highlight->from, piece.column) - piece.column;
        const qsizetype to = std::min(highlight->to, piece.column + piece.length) - piece.column;
        if (from < to)
            selections.append({int(from), int(to - from), highlight->format});
    }
    // The line's baseline stays where the area's font puts it, even where a fallback font with
    // a taller ascent is on the line.
    const QPointF at(origin.x() + piece.x - piece.offset,
                     origin.y() + m_ascent - piece.layout->lineAt(0).ascent());
    piece.layout->draw(&painter, at, selections);
}

void LineLayouts::draw(QPainter &painter, qsizetype line, QPointF origin, qreal left, qreal right,
                       const std::optional<Highlight> &highlight) const
{
    if (m_buffer.lineLength(line) <= WholeLine) {
        drawPiece(painter, wholeLine(line), origin, highlight);
        return;
    }
    // A glyph may reach a little past its window's ends: the windows beside go too.
    const qreal reach = 2 * m_ascent;
    WindowedLine &windowed = windowedLine(line);
    for (qsizetype index = pieceAt(line, left - reach).window;
         index < windowed.windows.count() && windowed.windows.x(index) <= right + reach; ++index)
        drawPiece(painter, windowPiece(line, windowed, index), origin, highlight);
}

// The piece that holds the composition, laid out afresh with it: it changes at every key of
// the input method, so it is not kept.
LineLayouts::Piece LineLayouts::pieceWithPreedit(qsizetype line, const Preedit &preedit) const
{
    Piece piece = pieceHolding(line, preedit.column);
    Preedit inPiece = preedit;
    inPiece.column -= piece.column;
    const Qt::LayoutDirection direction
        = piece.window < 0 ? Qt::LayoutDirectionAuto : windowedLine(line).direction;
    piece.layout = makeLayout(m_buffer.lineStart(line) + piece.column, piece.length, direction,
                              piece.offset, &inPiece);
    return piece;
}

void LineLayouts::drawWithPreedit(QPainter &painter, qsizetype line, QPointF origin,
                                  const Preedit &preedit) const
{
    drawPiece(painter, pieceWithPreedit(line, preedit), origin, std::nullopt);
}

qreal LineLayouts::preeditCaretX(qsizetype line, const Preedit &preedit) const
{
    const Piece piece = pieceWithPreedit(line, preedit);
    const int caret = int(preedit.column - piece.column + preedit.caret);
    return piece.x + piece.layout->lineAt(0).cursorToX(caret) - piece.offset;
}

// ---- Changes

void LineLayouts::forgetAll()
{
    m_layouts.clear();
    m_windowedLines.clear();
}

void LineLayouts::textReplaced(qsizetype firstLine, qsizetype column, qsizetype lastLineBefore,
                               qsizetype lastLineAfter, qsizetype removed, qsizetype added)
{
    const qsizetype lineDelta = lastLineAfter - lastLineBefore;
    // A window's layout is named by the window, which is cut anew where its characters change.
    if (lineDelta == 0) {
        // As at every key: only the edited lines' layouts go, and the others keep their names.
        if (std::size_t(lastLineBefore - firstLine) < m_layouts.size()) {
            for (qsizetype line = firstLine; line <= lastLineBefore; ++line)
                m_layouts.erase(LayoutKey{line, 0});
        } else {
            std::erase_if(m_layouts, [&](const auto &entry) {
                const LayoutKey &key = entry.first;
                return key.line >= firstLine && key.line <= lastLineBefore && key.window == 0;
            });
        }
    } else {
        std::unordered_map<LayoutKey, CachedLayout, LayoutKeyHash> layouts;
        for (auto &[key, cached] : m_layouts) {
            if (key.line < firstLine || (key.line <= lastLineBefore && key.window != 0))
                layouts.emplace(key, std::move(cached));
            else if (key.line > lastLineBefore)
                layouts.emplace(LayoutKey{key.line + lineDelta, key.window}, std::move(cached));
        }
        m_layouts = std::move(layouts);
    }

    const bool oneLine = firstLine == lastLineBefore && firstLine == lastLineAfter;
    std::unordered_map<qsizetype, WindowedLine> windowedLines;
    for (auto &[line, windowed] : m_windowedLines) {
        if (line < firstLine) {
            windowedLines.emplace(line, std::move(windowed));
        } else if (line > lastLineBefore) {
            windowedLines.emplace(line + lineDelta, std::move(windowed));
        } else if (oneLine && m_buffer.lineLength(line) > WholeLine) {
            windowed.windows.replace(m_buffer.lineStart(line), column, removed, added);
            windowed.direction = directionOfWindows(line, windowed.windows);
            windowedLines.emplace(line, std::move(windowed));
        }
    }
    m_windowedLines = std::move(windowedLines);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The text area's view: what part of the text is on show, where each character is drawn, the
// painting of the visible lines and the blinking caret.
#include "textarea/TextBox.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>

#include <algorithm>
#include <cmath>

namespace {

// How many times the caret flashes after the last input before it stays shown: ten seconds at
// the platform's usual rate.
constexpr int BlinkingFlashes = 10;
// Blank room around the text, as QPlainTextEdit's document margin.
constexpr int Margin = 4;
// The largest scroll bar value, well inside an int.
constexpr qreal LargestScrollValue = 1e9;

} // namespace

// ---- The longest line, for the horizontal scroll range

// After an edit: a longest line the edit did not touch is still one when no line grew longer,
// as after most keys; else the line the edit ended on may now be the longest; else the line
// index finds one.
void TextBox::keepLongestLine(const EditedLines &edited, qsizetype longestBefore)
{
    const bool untouched = m_longestLine < edited.first || m_longestLine > edited.lastBefore;
    if (m_longestLine > edited.lastBefore)
        m_longestLine += edited.lastAfter - edited.lastBefore;
    else if (m_longestLine > edited.first)
        m_longestLine = edited.first;
    const qsizetype longest = m_buffer.longestLineLength();
    if (untouched && longest == longestBefore)
        return;
    if (m_longestLine < m_buffer.lineCount() && m_buffer.lineLength(m_longestLine) == longest)
        return;
    if (m_buffer.lineLength(edited.lastAfter) == longest) {
        m_longestLine = edited.lastAfter;
        return;
    }
    m_longestLine = m_buffer.longestLine();
}

qreal TextBox::contentWidth() const
{
    return std::max(m_layouts->width(m_longestLine), m_widestSeen);
}

// ---- Scrolling

qreal TextBox::scrollX() const
{
    return horizontalScrollBar()->value() * m_horizontalUnit;
}

qsizetype TextBox::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int TextBox::visibleLineCount() const
{
    return std::max(1, (viewport()->height() - 2 * Margin) / m_lineHeight);
}

qreal TextBox::lineY(qsizetype line) const
{
    return Margin + qreal(line - firstVisibleLine()) * m_lineHeight;
}

// Lines on show that are wider than the longest one widen the horizontal range too. They are
// measured as they come into view or change, not at every key: each asks for a layout.
// Returns whether the range must widen.
bool TextBox::measureVisibleLines(qsizetype from, qsizetype to)
{
    const qsizetype first = std::max(from, firstVisibleLine());
    const qsizetype last
        = std::min({to, m_buffer.lineCount() - 1, firstVisibleLine() + visibleLineCount()});
    const qreal widestBefore = m_widestSeen;
    for (qsizetype line = first; line <= last; ++line)
        m_widestSeen = std::max(m_widestSeen, m_layouts->width(line));
    return m_widestSeen > widestBefore;
}

void TextBox::updateScrollRanges()
{
    QScrollBar *vertical = verticalScrollBar();
    const int lines = visibleLineCount();
    vertical->setRange(0, int(std::max<qsizetype>(0, m_buffer.lineCount() - lines)));
    vertical->setPageStep(lines);
    vertical->setSingleStep(1);

    const int caretWidth = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    const qreal overflow
        = std::max<qreal>(0, contentWidth() + 2 * Margin + caretWidth - viewport()->width());
    const qreal scrolledX = scrollX();
    m_horizontalUnit = std::max<qreal>(1, std::ceil(overflow / LargestScrollValue));
    QScrollBar *horizontal = horizontalScrollBar();
    const QSignalBlocker quiet(horizontal);
    horizontal->setRange(0, int(std::ceil(overflow / m_horizontalUnit)));
    horizontal->setPageStep(std::max(1, int(viewport()->width() / m_horizontalUnit)));
    horizontal->setSingleStep(std::max(1, int(20 / m_horizontalUnit)));
    horizontal->setValue(int(scrolledX / m_horizontalUnit));
}

// The rows of those lines, and with reach the rows beside them, which their glyphs may reach
// into.
void TextBox::updateLines(qsizetype first, qsizetype last, Reach reach)
{
    const qsizetype beside = reach == Reach::BesideRows ? 1 : 0;
    const qreal height = viewport()->height();
    const int top = int(std::floor(std::clamp(lineY(first - beside), qreal(0), height)));
    const int bottom = int(std::ceil(std::clamp(lineY(last + 1 + beside), qreal(0), height)));
    if (top < bottom)
        viewport()->update(0, top, viewport()->width(), bottom - top);
}

bool TextBox::isLineOnShow(qsizetype line) const
{
    return line + 1 >= firstVisibleLine() && line <= firstVisibleLine() + visibleLineCount() + 1;
}

void TextBox::scrollContentsBy(int, int dy)
{
    if (dy != 0 && measureVisibleLines())
        updateScrollRanges();
    viewport()->update();
}

void TextBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    measureVisibleLines();
    updateScrollRanges();
}

void TextBox::ensureCaretVisible()
{
    const qsizetype line = m_buffer.lineAt(m_caret);
    QScrollBar *vertical = verticalScrollBar();
    if (line < firstVisibleLine())
        vertical->setValue(int(line));
    else if (line >= firstVisibleLine() + visibleLineCount())
        vertical->setValue(int(line - visibleLineCount() + 1));

    const qreal x = m_layouts->x(line, m_caret - m_buffer.lineStart(line));
    const qreal visibleWidth = viewport()->width() - 2 * Margin - 1;
    QScrollBar *horizontal = horizontalScrollBar();
    if (x < scrollX())
        horizontal->setValue(int(std::floor(x / m_horizontalUnit)));
    else if (x > scrollX() + visibleWidth)
        horizontal->setValue(int(std::ceil((x - visibleWidth) / m_horizontalUnit)));
}

// ---- Geometry

QPointF TextBox::viewportPointOf(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qreal x = m_layouts->x(line, position - m_buffer.lineStart(line));
    return {Margin + x - scrollX(), lineY(line)};
}

QRectF TextBox::characterRect(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const LineLayouts::Span span
        = m_layouts->characterSpan(line, position - m_buffer.lineStart(line));
    return {Margin + span.left - scrollX(), lineY(line), span.width, qreal(m_lineHeight)};
}

LineLayouts::Preedit TextBox::preedit() const
{
    return {m_caret - m_buffer.lineStart(m_buffer.lineAt(m_caret)), m_preedit, m_preeditCaret};
}

QRect TextBox::caretRect() const
{
    const qsizetype line = m_buffer.lineAt(m_caret);
    const qreal x = m_preedit.isEmpty() ? m_layouts->x(line, m_caret - m_buffer.lineStart(line))
                                        : m_layouts->preeditCaretX(line, preedit());
    const int width = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    // Rounded as QPlainTextEdit rounds its cursor rectangle.
    return QRect(qRound(Margin + x - scrollX()), int(lineY(line)), width, m_lineHeight);
}

qsizetype TextBox::positionAt(QPointF point) const
{
    const qreal row = std::floor((point.y() - Margin) / m_lineHeight);
    const qsizetype line
        = std::clamp<qsizetype>(firstVisibleLine() + qsizetype(row), 0, m_buffer.lineCount() - 1);
    const qreal x = point.x() - Margin + scrollX();
    return m_buffer.lineStart(line) + m_layouts->columnAt(line, x);
}

// ---- Painting

void TextBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, viewport()->palette().brush(viewport()->backgroundRole()));
    painter.setFont(font());
    // A glyph may reach into the lines above and below its own (a fallback font's, taller than
    // the area's, or a stack of marks): such lines are drawn again too, so that a repaint keeps
    // every pixel.
    const qsizetype first = std::max<qsizetype>(0, firstVisibleLine() - 1);
    for (qsizetype line = first; line < m_buffer.lineCount(); ++line) {
        const qreal y = lineY(line);
        if (y > exposed.bottom() + m_lineHeight)
            break;
        const bool rowExposed = y + m_lineHeight > exposed.top() && y <= exposed.bottom();
        if (rowExposed
            || (y + 2 * m_lineHeight >= exposed.top() && !m_layouts->staysInRow(line)))
            paintLine(painter, line, y, exposed);
    }
    if (m_caretShown && hasFocus() && isEnabled())
        painter.fillRect(caretRect(), palette().color(QPalette::Text));
    if (m_dropCaret) {
        const QPointF at = viewportPointOf(*m_dropCaret);
        painter.fillRect(QRectF(at, QSizeF(1, m_lineHeight)), palette().color(QPalette::Text));
    }
}

void TextBox::paintLine(QPainter &painter, qsizetype line, qreal y, const QRect &exposed)
{
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype length = m_buffer.lineLength(line);
    const QPointF origin(Margin - scrollX(), y);
    painter.setPen(palette().color(QPalette::Text));
    if (!m_preedit.isEmpty() && m_buffer.lineAt(m_caret) == line) {
        m_layouts->drawWithPreedit(painter, line, origin, preedit());
        return;
    }

    // The selected part of the line, its line end shown as a space's width.
    const qsizetype selectedFrom = std::max(selectionStart(), start) - start;
    const qsizetype selectedTo = std::min(selectionEnd(), start + length) - start;
    std::optional<LineLayouts::Highlight> highlight;
    if (hasSelection() && selectedFrom < selectedTo) {
        highlight.emplace();
        highlight->from = selectedFrom;
        highlight->to = selectedTo;
        highlight->format.setBackground(palette().brush(QPalette::Highlight));
        highlight->format.setForeground(palette().brush(QPalette::HighlightedText));
    }
    m_layouts->draw(painter, line, origin, exposed.left() - origin.x(),
                    exposed.right() - origin.x(), highlight);

    const bool lineEndSelected
        = hasSelection() && selectionStart() <= start + length && selectionEnd() > start + length;
    if (lineEndSelected)
        painter.fillRect(characterRect(start + length), palette().color(QPalette::Highlight));
}

// ---- The caret

bool TextBox::caretShouldBlink() const
{
    return hasFocus() && isEnabled() && isVisible()
           && QGuiApplication::styleHints()->cursorFlashTime() > 0;
}

void TextBox::showCaretAfresh()
{
    m_caretShown = true;
    m_sinceInput.start();
    if (caretShouldBlink())
        m_blinkTimer.start(QGuiApplication::styleHints()->cursorFlashTime() / 2, this);
    else
        m_blinkTimer.stop();
}

void TextBox::restartBlinking()
{
    showCaretAfresh();
    repaintCaret();
}

void TextBox::repaintCaret()
{
    viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
}

void TextBox::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_blinkTimer.timerId()) {
        if (!caretShouldBlink()) {
            m_blinkTimer.stop();
            return;
        }
        // Long after the last input the caret stays shown, as GTK's does, so that an editor
        // left open costs nothing.
        const bool blinkedLongEnough
            = m_sinceInput.elapsed()
              >= BlinkingFlashes * QGuiApplication::styleHints()->cursorFlashTime();
        m_caretShown = blinkedLongEnough || !m_caretShown;
        if (blinkedLongEnough)
            m_blinkTimer.stop();
        repaintCaret();
    } else if (event->timerId() == m_autoscrollTimer.timerId()) {
        autoscroll();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void TextBox::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlinking();
}

void TextBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blinkTimer.stop();
    repaintCaret();
}

void TextBox::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    measureVisibleLines();
    updateScrollRanges();
    restartBlinking();
}

void TextBox::hideEvent(QHideEvent *event)
{
    QAbstractScrollArea::hideEvent(event);
    m_blinkTimer.stop();
}

void TextBox::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        resetFont();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled())
            m_preedit.clear();
        restartBlinking();
        viewport()->update();
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        viewport()->update();
        break;
    default:
        break;
    }
}

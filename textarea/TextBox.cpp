// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBox.h"

#include "common/RuntimeFailure.h"
#include "textarea/ClipboardText.h"
#include "textarea/LineEnds.h"
#include "textarea/ReadableColor.h"
#include "textarea/SelectionOffer.h"
#include "textarea/TextBoxAccessible.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

// Blank room around the text, as QPlainTextEdit's document margin.
constexpr int Margin = 4;
// How far a caret move or a word search looks along a line at a time; a word longer than this
// is passed in steps of this length.
constexpr qsizetype WordWindow = 4096;
// How much of the text around the caret an input method is told.
constexpr qsizetype SurroundingReach = 1000;
// The largest scroll bar value, well inside an int.
constexpr qreal LargestScrollValue = 1e9;

// QWidgetTextControl's test of what a key's text may insert.
bool isTypedText(const QKeyEvent &event)
{
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    if (first.isPrint() || first.category() == QChar::Other_PrivateUse)
        return true;
    return first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate();
}

} // namespace

TextBox::TextBox(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_font(*this)
{
    TextBoxAccessible::attach(*this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression, false);
    setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    nameInnerParts();
    makeDisabledLookReadable();
    resetFont();
}

TextBox::~TextBox() = default;

void TextBox::setClipboard(std::unique_ptr<ClipboardText> clipboard)
{
    m_clipboard = std::move(clipboard);
}

// A screen reader walks into the parts of the area too; none of them may be left unnamed.
void TextBox::nameInnerParts()
{
    viewport()->setAccessibleName(tr("Obszar tekstu"));
    const std::pair<QScrollBar *, QString> scrollBars[] = {
        {horizontalScrollBar(), tr("Przewijanie w poziomie")},
        {verticalScrollBar(), tr("Przewijanie w pionie")},
    };
    for (const auto &[scrollBar, name] : scrollBars) {
        scrollBar->setAccessibleName(name);
        // Qt puts each scroll bar in a container widget of its own, which is exposed as well.
        scrollBar->parentWidget()->setAccessibleName(name);
    }
}

// The style greys a disabled area's text to about 1.6:1 against its background, which few can
// read. The background stays the style's muted one, so the area still looks out of reach.
void TextBox::makeDisabledLookReadable()
{
    QPalette colours = palette();
    colours.setColor(QPalette::Disabled, QPalette::Text,
                     ReadableColor::on(colours.color(QPalette::Disabled, QPalette::Base),
                                       colours.color(QPalette::Disabled, QPalette::Text)));
    setPalette(colours);
}

void TextBox::resetFont()
{
    m_advances = std::make_unique<CharacterAdvances>(font());
    m_measure = std::make_unique<LineMeasure>(m_buffer, *m_advances);
    const QFontMetricsF metrics(m_advances->drawingFont());
    m_lineHeight = std::max(1, int(std::ceil(metrics.height())));
    m_ascent = metrics.ascent();
    m_widestSeen = 0;
    updateScrollRanges();
    viewport()->update();
}

// ---- The contract

QString TextBox::Text() const
{
    return m_buffer.text();
}

void TextBox::SetText(const QString &text)
{
    m_preedit.clear();
    if (!replace(0, m_buffer.size(), text, EditHistory::Kind::WholeText))
        throw tooLarge(m_buffer.size(), text.size());
    m_anchor = m_caret = 0;
    m_goalX.reset();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    emit caretMoved(m_caret);
    emit selectionChanged();
}

void TextBox::SetSelStart(int start)
{
    setSelection(clampedPosition(start), clampedPosition(start));
    ensureCaretVisible();
}

void TextBox::SetSelLength(int length)
{
    const qsizetype from = selectionStart();
    qsizetype to = std::min(from + std::max(0, length), m_buffer.size());
    to = outsideLineEnd(to, true);
    setSelection(from, to);
    ensureCaretVisible();
}

QString TextBox::SelText() const
{
    return m_buffer.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TextBox::SetSelText(const QString &text)
{
    if (!replace(selectionStart(), selectionEnd(), text, EditHistory::Kind::Insertion))
        throw tooLarge(selectionEnd() - selectionStart(), text.size());
    ensureCaretVisible();
}

void TextBox::SetEnabled(bool enabled)
{
    setEnabled(enabled);
}

FontObject &TextBox::Font()
{
    return m_font;
}

void TextBox::SetFontStrikethru(bool on)
{
    m_font.SetStrikethrough(on);
}

void TextBox::SetForeColor(OleColor color)
{
    // A disabled area keeps its own muted colour, which tells the user it is out of reach.
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::Text, toQColor(color));
    colours.setColor(QPalette::Inactive, QPalette::Text, toQColor(color));
    setPalette(colours);
}

void TextBox::SetFocus()
{
    if (!isEnabled()) {
        throw RuntimeFailure(RuntimeFailure::InvalidProcedureCall,
                             tr("Nie można przenieść kursora do pola tekstowego, "
                                "bo edycja jest wyłączona."));
    }
    setFocus(Qt::OtherFocusReason);
}

void TextBox::setInitialText(const QString &text)
{
    SetText(text);
    m_history.clear();
}

// ---- Changing the text

bool TextBox::admits(qsizetype removed, qsizetype inserted) const
{
    return m_buffer.size() - removed + inserted <= LargestText;
}

RuntimeFailure TextBox::tooLarge(qsizetype removed, qsizetype inserted) const
{
    return RuntimeFailure(RuntimeFailure::OutOfMemory,
                          tr("Tekst byłby za długi: miałby %1 znaków, a pole tekstowe przyjmuje "
                             "teksty do %2 znaków. Nic nie wklejono.")
                              .arg(QLocale().toString(m_buffer.size() - removed + inserted),
                                   QLocale().toString(LargestText)));
}

QString TextBox::replaceUnrecorded(qsizetype from, qsizetype to, const QString &text)
{
    // Where positions on the lines stop being valid: a change at a line's start can join that
    // line's end with the one before (a CR and an LF meeting), so the line before counts too.
    qsizetype line = m_buffer.lineAt(from);
    qsizetype column = from - m_buffer.lineStart(line);
    if (column == 0 && line > 0) {
        --line;
        column = m_buffer.lineLength(line);
    }
    const qsizetype linesBefore = m_buffer.lineCount();
    const qsizetype lastLineBefore = m_buffer.lineAt(to);
    QString removed;
    if (from == 0 && to == m_buffer.size()) {
        removed = m_buffer.text();
        m_buffer.setText(text);
        m_measure->forgetAll();
        m_widestSeen = 0;
    } else {
        removed = m_buffer.mid(from, to - from);
        m_buffer.replace(from, to - from, text);
    }
    const qsizetype lineDelta = m_buffer.lineCount() - linesBefore;
    m_measure->textReplaced(line, column, lineDelta);
    ++m_editCount;

    if (m_longestLine > lastLineBefore)
        m_longestLine += lineDelta;
    else if (m_longestLine > line)
        m_longestLine = line;
    keepLongestLine(m_buffer.lineAt(from + text.size()));

    const bool selectionWas = hasSelection();
    m_anchor = m_caret = outsideLineEnd(from + text.size(), true);
    m_goalX.reset();
    emit textReplaced(from, removed, text);
    tellInputMethod();
    emit textChanged(from, removed.size(), text.size());
    emit caretMoved(m_caret);
    if (selectionWas)
        emit selectionChanged();
    updateScrollRanges();
    viewport()->update();
    restartBlinking();
    return removed;
}

bool TextBox::replace(qsizetype from, qsizetype to, const QString &text, EditHistory::Kind kind)
{
    // Nothing to change (Ctrl+Delete at the end, say): no step for Undo, and the steps to redo
    // stay.
    if (from == to && text.isEmpty())
        return true;
    if (!admits(to - from, text.size()))
        return false;
    const QString removed = replaceUnrecorded(from, to, text);
    m_history.record(from, removed, text.size(), kind);
    return true;
}

bool TextBox::replaceByUser(qsizetype from, qsizetype to, const QString &text,
                            EditHistory::Kind kind)
{
    if (!replace(from, to, text, kind)) {
        emit refused(tooLarge(to - from, text.size()));
        return false;
    }
    ensureCaretVisible();
    offerPrimarySelection();
    return true;
}

void TextBox::insertFromUser(const QString &text, EditHistory::Kind kind)
{
    if (!replace(selectionStart(), selectionEnd(), text, kind)) {
        QApplication::beep();
        return;
    }
    ensureCaretVisible();
}

void TextBox::undo()
{
    takeHistoryStep(&EditHistory::undo);
}

void TextBox::redo()
{
    takeHistoryStep(&EditHistory::redo);
}

void TextBox::takeHistoryStep(qsizetype (EditHistory::*step)(const EditHistory::Replace &))
{
    const auto swap = [this](qsizetype position, qsizetype length, const QString &text) {
        return replaceUnrecorded(position, position + length, text);
    };
    const qsizetype caret = (m_history.*step)(swap);
    if (caret >= 0) {
        setSelection(caret, caret);
        ensureCaretVisible();
    }
}

// ---- The longest line, for the horizontal scroll range

// After an edit: the line the edit ended on may now be the longest; if the one known before no
// longer is, and no edited line is, every line is looked at again.
void TextBox::keepLongestLine(qsizetype editedLine)
{
    const qsizetype longest = m_buffer.longestLineLength();
    if (m_longestLine < m_buffer.lineCount() && m_buffer.lineLength(m_longestLine) == longest)
        return;
    if (m_buffer.lineLength(editedLine) == longest) {
        m_longestLine = editedLine;
        return;
    }
    m_longestLine = 0;
    qsizetype line = 0;
    qsizetype lineLength = 0;
    constexpr qsizetype Piece = qsizetype(1) << 20;
    QChar previous;
    for (qsizetype position = 0; position < m_buffer.size(); position += Piece) {
        const QString piece = m_buffer.mid(position, Piece);
        for (const QChar character : piece) {
            if (character == u'\n' && previous == u'\r') {
            } else if (LineEnds::isLineEndCharacter(character)) {
                ++line;
                lineLength = 0;
            } else if (++lineLength == longest) {
                m_longestLine = line;
                return;
            }
            previous = character;
        }
    }
}

qreal TextBox::contentWidth() const
{
    return std::max(m_measure->width(m_longestLine), m_widestSeen);
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

void TextBox::updateScrollRanges()
{
    QScrollBar *vertical = verticalScrollBar();
    const int lines = visibleLineCount();
    vertical->setRange(0, int(std::max<qsizetype>(0, m_buffer.lineCount() - lines)));
    vertical->setPageStep(lines);
    vertical->setSingleStep(1);

    // Lines on show that are wider than the longest one widen the range too.
    const qsizetype first = firstVisibleLine();
    const qsizetype last = std::min(m_buffer.lineCount(), first + lines + 1);
    for (qsizetype line = first; line < last; ++line)
        m_widestSeen = std::max(m_widestSeen, m_measure->width(line));

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

void TextBox::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TextBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
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
    updateScrollRanges();

    const qreal x = m_measure->x(line, m_caret - m_buffer.lineStart(line));
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
    const qreal x = m_measure->x(line, position - m_buffer.lineStart(line));
    return {Margin + x - scrollX(), lineY(line)};
}

QRectF TextBox::characterRect(qsizetype position) const
{
    const QPointF topLeft = viewportPointOf(position);
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype column = position - m_buffer.lineStart(line);
    const qreal width = column < m_buffer.lineLength(line)
                            ? m_measure->x(line, column + 1) - m_measure->x(line, column)
                            : QFontMetricsF(m_advances->drawingFont()).horizontalAdvance(u' ');
    return {topLeft, QSizeF(width, m_lineHeight)};
}

QRect TextBox::caretRect() const
{
    QPointF topLeft = viewportPointOf(m_caret);
    if (!m_preedit.isEmpty()) {
        topLeft.rx() += QFontMetricsF(m_advances->drawingFont())
                            .horizontalAdvance(m_preedit.left(m_preeditCaret));
    }
    const int width = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    return QRect(int(std::floor(topLeft.x())), int(topLeft.y()), width, m_lineHeight);
}

qsizetype TextBox::positionAt(QPointF point) const
{
    const qreal row = std::floor((point.y() - Margin) / m_lineHeight);
    const qsizetype line
        = std::clamp<qsizetype>(firstVisibleLine() + qsizetype(row), 0, m_buffer.lineCount() - 1);
    const qreal x = point.x() - Margin + scrollX();
    return m_buffer.lineStart(line) + m_measure->columnNearest(line, x);
}

// ---- Painting

void TextBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setFont(m_advances->drawingFont());
    const QRect exposed = event->rect();
    const qsizetype first = firstVisibleLine();
    for (qsizetype line = first; line < m_buffer.lineCount(); ++line) {
        const qreal y = lineY(line);
        if (y > exposed.bottom())
            break;
        if (y + m_lineHeight >= exposed.top())
            paintLine(painter, line, y, exposed);
    }
    if (m_caretShown && hasFocus() && isEnabled())
        painter.fillRect(caretRect(), palette().color(QPalette::Text));
    if (m_dropCaret) {
        const QPointF at = viewportPointOf(*m_dropCaret);
        painter.fillRect(QRectF(at, QSizeF(1, m_lineHeight)), palette().color(QPalette::Text));
    }
}

// Draws the characters from start on, in runs between tabs, from x on: the glyphs stand where
// the summed advances put them. lineStartX is where the line's first column is drawn, from
// which tab stops count.
void TextBox::drawRun(QPainter &painter, qsizetype start, qsizetype length, qreal x, qreal y,
                      qreal lineStartX)
{
    if (length <= 0)
        return;
    const qsizetype lookBehind = start > 0 ? 1 : 0;
    const QString chars = m_buffer.mid(start - lookBehind, length + lookBehind + 1);
    QString run;
    qreal runX = x;
    const auto flush = [&] {
        if (!run.isEmpty())
            painter.drawText(QPointF(runX, y), run);
        run.clear();
    };
    for (qsizetype index = lookBehind; index < lookBehind + length; ++index) {
        const QChar previous = index > 0 ? chars[index - 1] : QChar();
        const QChar character = chars[index];
        const QChar next = index + 1 < chars.size() ? chars[index + 1] : QChar();
        const qreal nextX
            = lineStartX + m_advances->after(x - lineStartX, previous, character, next);
        if (character == u'\t') {
            flush();
            runX = nextX;
        } else {
            const bool paired = (character.isHighSurrogate() && next.isLowSurrogate())
                                || (character.isLowSurrogate() && previous.isHighSurrogate());
            run += CharacterAdvances::shownAs(character, paired);
        }
        x = nextX;
    }
    flush();
}

void TextBox::paintLine(QPainter &painter, qsizetype line, qreal y, const QRect &exposed)
{
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype length = m_buffer.lineLength(line);
    const qreal lineStartX = Margin - scrollX();
    const LineMeasure::Column first
        = m_measure->columnAtOrBefore(line, exposed.left() - lineStartX);
    const LineMeasure::Column last
        = m_measure->columnAtOrBefore(line, exposed.right() - lineStartX);
    const qsizetype firstColumn = first.column > 0 ? first.column - 1 : 0;
    const qsizetype endColumn = std::min(length, last.column + 2);
    const qreal firstX = lineStartX + m_measure->x(line, firstColumn);
    const qreal baseline = y + m_ascent;
    const QColor text = palette().color(QPalette::Text);
    painter.setPen(text);

    const qsizetype caretColumn = m_caret - start;
    const bool preeditHere
        = !m_preedit.isEmpty() && m_buffer.lineAt(m_caret) == line && caretColumn >= firstColumn;
    if (preeditHere) {
        const qreal caretX = lineStartX + m_measure->x(line, caretColumn);
        drawRun(painter, start + firstColumn, caretColumn - firstColumn, firstX, baseline,
                lineStartX);
        const qreal preeditWidth
            = QFontMetricsF(m_advances->drawingFont()).horizontalAdvance(m_preedit);
        QFont underlined = m_advances->drawingFont();
        underlined.setUnderline(true);
        painter.setFont(underlined);
        painter.drawText(QPointF(caretX, baseline), m_preedit);
        painter.setFont(m_advances->drawingFont());
        drawRun(painter, m_caret, endColumn - caretColumn, caretX + preeditWidth, baseline,
                lineStartX + preeditWidth);
        return;
    }
    drawRun(painter, start + firstColumn, endColumn - firstColumn, firstX, baseline, lineStartX);

    // The selected part of the line, its line end shown as a space's width.
    const qsizetype selectedFrom = std::max(selectionStart(), start);
    const qsizetype selectedTo = std::min(selectionEnd(), start + length);
    const bool lineEndSelected
        = selectionStart() <= start + length && selectionEnd() > start + length;
    if (!hasSelection() || (selectedFrom >= selectedTo && !lineEndSelected)
        || selectedFrom > start + length)
        return;
    const qreal fromX = lineStartX + m_measure->x(line, selectedFrom - start);
    qreal toX = lineStartX + m_measure->x(line, selectedTo - start);
    if (lineEndSelected)
        toX += QFontMetricsF(m_advances->drawingFont()).horizontalAdvance(u' ');
    const QRectF selected(QPointF(fromX, y), QPointF(toX, y + m_lineHeight));
    painter.save();
    painter.setClipRect(selected);
    painter.fillRect(selected, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::HighlightedText));
    drawRun(painter, start + firstColumn, endColumn - firstColumn, firstX, baseline, lineStartX);
    painter.restore();
}

// ---- The caret

bool TextBox::caretShouldBlink() const
{
    return hasFocus() && isEnabled() && isVisible()
           && QGuiApplication::styleHints()->cursorFlashTime() > 0;
}

void TextBox::restartBlinking()
{
    m_caretShown = true;
    if (caretShouldBlink())
        m_blinkTimer.start(QGuiApplication::styleHints()->cursorFlashTime() / 2, this);
    else
        m_blinkTimer.stop();
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
        m_caretShown = !m_caretShown;
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

// ---- Caret positions

qsizetype TextBox::clampedPosition(qsizetype position) const
{
    return outsideLineEnd(std::clamp<qsizetype>(position, 0, m_buffer.size()), false);
}

// A position between the CR and the LF of a pair goes after the pair, or before it.
qsizetype TextBox::outsideLineEnd(qsizetype position, bool forward) const
{
    if (position > 0 && position < m_buffer.size() && m_buffer.at(position - 1) == u'\r'
        && m_buffer.at(position) == u'\n')
        return forward ? position + 1 : position - 1;
    return position;
}

qsizetype TextBox::nextCaretPosition(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype end = m_buffer.lineEnd(line);
    if (position >= end)
        return line + 1 < m_buffer.lineCount() ? m_buffer.lineStart(line + 1) : position;
    const QString slice = m_buffer.mid(position, std::min(WordWindow, end - position));
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, slice);
    const qsizetype next = graphemes.toNextBoundary();
    return position + (next > 0 ? next : slice.size());
}

qsizetype TextBox::previousCaretPosition(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype start = m_buffer.lineStart(line);
    if (position <= start)
        return line > 0 ? m_buffer.lineEnd(line - 1) : position;
    const qsizetype sliceStart = std::max(start, position - WordWindow);
    const QString slice = m_buffer.mid(sliceStart, position - sliceStart);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, slice);
    graphemes.toEnd();
    const qsizetype previous = graphemes.toPreviousBoundary();
    return sliceStart + std::max<qsizetype>(0, previous);
}

// Words are skipped as QPlainTextEdit skips them: a run of punctuation counts as a word of its
// own, and the spaces after a word go with it.
qsizetype TextBox::nextWordStart(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype end = m_buffer.lineEnd(line);
    if (position >= end)
        return nextCaretPosition(position);
    const QTextLayout slice(m_buffer.mid(position, std::min(WordWindow, end - position)));
    return position + slice.nextCursorPosition(0, QTextLayout::SkipWords);
}

qsizetype TextBox::previousWordStart(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype start = m_buffer.lineStart(line);
    if (position <= start)
        return previousCaretPosition(position);
    const qsizetype sliceStart = std::max(start, position - WordWindow);
    const QTextLayout slice(m_buffer.mid(sliceStart, position - sliceStart));
    return sliceStart
           + slice.previousCursorPosition(int(position - sliceStart), QTextLayout::SkipWords);
}

// What a double click at position selects: the word QTextCursor finds under a caret there, as
// in QPlainTextEdit (beside a space, the word next to it).
std::pair<qsizetype, qsizetype> TextBox::wordAround(qsizetype position) const
{
    const qsizetype line = m_buffer.lineAt(position);
    const qsizetype start = m_buffer.lineStart(line);
    const qsizetype end = m_buffer.lineEnd(line);
    const qsizetype sliceStart = std::max(start, position - WordWindow);
    const QString slice
        = m_buffer.mid(sliceStart, std::min(end, position + WordWindow) - sliceStart);
    if (slice.isEmpty())
        return {position, position};
    QTextDocument document(slice);
    QTextCursor cursor(&document);
    cursor.setPosition(int(position - sliceStart));
    cursor.select(QTextCursor::WordUnderCursor);
    return {sliceStart + cursor.selectionStart(), sliceStart + cursor.selectionEnd()};
}

// ---- Selection

void TextBox::setSelection(qsizetype anchor, qsizetype caret)
{
    anchor = clampedPosition(anchor);
    caret = clampedPosition(caret);
    if (anchor == m_anchor && caret == m_caret)
        return;
    // A caret put elsewhere (Ctrl+A, the program, a screen reader) is where Up and Down aim from
    // next; moveVertically keeps its own aim.
    m_goalX.reset();
    const bool selectionWas = hasSelection();
    repaintCaret();
    m_anchor = anchor;
    m_caret = caret;
    tellInputMethod();
    emit caretMoved(m_caret);
    if (selectionWas || hasSelection()) {
        emit selectionChanged();
        viewport()->update();
    }
    restartBlinking();
}

void TextBox::moveCaret(qsizetype position, Move move)
{
    setSelection(move == Move::Extend ? m_anchor : position, position);
    ensureCaretVisible();
    if (move == Move::Extend)
        offerPrimarySelection();
}

// The caret goes that many lines up or down, stopping at the first or the last line, at the
// column it aims for.
void TextBox::moveVertically(qsizetype lines, Move move)
{
    const qsizetype line = m_buffer.lineAt(m_caret);
    if (!m_goalX)
        m_goalX = m_measure->x(line, m_caret - m_buffer.lineStart(line));
    const qsizetype target = std::clamp<qsizetype>(line + lines, 0, m_buffer.lineCount() - 1);
    const qreal goal = *m_goalX;
    moveCaret(m_buffer.lineStart(target) + m_measure->columnNearest(target, goal), move);
    m_goalX = goal;
}

// Up on the first line and Down on the last leave the caret where it is; with Shift they select
// to the start or the end of the text, as in QPlainTextEdit.
void TextBox::moveOneLine(qsizetype direction, Move move)
{
    const qsizetype target = m_buffer.lineAt(m_caret) + direction;
    if (target >= 0 && target < m_buffer.lineCount()) {
        moveVertically(direction, move);
        return;
    }
    if (move == Move::Keep)
        return;
    moveCaret(direction < 0 ? 0 : m_buffer.size(), move);
    // No column is aimed at any more, even when the caret stood there already.
    m_goalX.reset();
}

// The view and the caret go a page on. On the first line PageUp, and on the last PageDown,
// change nothing, the selection included, as in QPlainTextEdit.
void TextBox::movePage(qsizetype direction, Move move)
{
    const qsizetype line = m_buffer.lineAt(m_caret);
    if ((direction < 0 && line == 0) || (direction > 0 && line + 1 == m_buffer.lineCount()))
        return;
    const int page = visibleLineCount();
    verticalScrollBar()->setValue(verticalScrollBar()->value() + int(direction) * page);
    moveVertically(direction * page, move);
}

void TextBox::selectAll()
{
    setSelection(0, m_buffer.size());
    offerPrimarySelection();
}

QMimeData *TextBox::selectionAsMimeData() const
{
    auto *mimeData = new QMimeData;
    mimeData->setText(LineEnds::toPlatform(SelText()));
    return mimeData;
}

void TextBox::offerPrimarySelection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!hasSelection() || !clipboard->supportsSelection())
        return;
    clipboard->setMimeData(new SelectionOffer(*this, selectionStart(), selectionEnd()),
                           QClipboard::Selection);
}

// ---- The clipboard

void TextBox::copySelection()
{
    if (!hasSelection() || !m_clipboard)
        return;
    m_clipboard->setText(SelText());
}

void TextBox::cutSelection()
{
    if (!hasSelection() || !m_clipboard)
        return;
    copySelection();
    deleteSelection();
}

void TextBox::deleteSelection()
{
    if (hasSelection())
        replaceByUser(selectionStart(), selectionEnd(), QString(), EditHistory::Kind::Removal);
}

void TextBox::pasteClipboard()
{
    if (!m_clipboard)
        return;
    QString text;
    try {
        text = m_clipboard->text(LargestText);
    } catch (const RuntimeFailure &failure) {
        emit refused(failure);
        return;
    }
    if (!text.isEmpty())
        replaceByUser(selectionStart(), selectionEnd(), text, EditHistory::Kind::Insertion);
}

void TextBox::pastePrimarySelection(QPointF at)
{
    const QMimeData *primary = QGuiApplication::clipboard()->mimeData(QClipboard::Selection);
    if (!primary || !primary->hasText())
        return;
    const QString text = primary->text();
    if (text.size() > LargestText) {
        emit refused(tooLarge(0, text.size()));
        return;
    }
    const qsizetype position = positionAt(at);
    setSelection(position, position);
    replaceByUser(position, position, LineEnds::toCrLf(text), EditHistory::Kind::Insertion);
}

// ---- Keys

bool TextBox::handleMovementKey(QKeyEvent *event)
{
    struct Movement
    {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        std::function<void(Move)> action;
    };
    const Movement movements[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar,
         [this](Move move) {
             if (move == Move::Keep && hasSelection())
                 moveCaret(selectionEnd(), move);
             else
                 moveCaret(nextCaretPosition(m_caret), move);
         }},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
         [this](Move move) {
             if (move == Move::Keep && hasSelection())
                 moveCaret(selectionStart(), move);
             else
                 moveCaret(previousCaretPosition(m_caret), move);
         }},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord,
         [this](Move move) {
             moveCaret(nextWordStart(m_caret), move);
         }},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
         [this](Move move) {
             moveCaret(previousWordStart(m_caret), move);
         }},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine,
         [this](Move move) {
             moveCaret(m_buffer.lineStart(m_buffer.lineAt(m_caret)), move);
         }},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine,
         [this](Move move) {
             moveCaret(m_buffer.lineEnd(m_buffer.lineAt(m_caret)), move);
         }},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
         [this](Move move) {
             moveCaret(0, move);
         }},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument,
         [this](Move move) {
             moveCaret(m_buffer.size(), move);
         }},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine,
         [this](Move move) {
             moveOneLine(1, move);
         }},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
         [this](Move move) {
             moveOneLine(-1, move);
         }},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage,
         [this](Move move) {
             movePage(1, move);
         }},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage,
         [this](Move move) {
             movePage(-1, move);
         }},
    };
    for (const Movement &movement : movements) {
        const bool selecting = event->matches(movement.select);
        if (selecting || event->matches(movement.move)) {
            const bool vertical = movement.move == QKeySequence::MoveToNextLine
                                  || movement.move == QKeySequence::MoveToPreviousLine
                                  || movement.move == QKeySequence::MoveToNextPage
                                  || movement.move == QKeySequence::MoveToPreviousPage;
            if (!vertical)
                m_goalX.reset();
            movement.action(selecting ? Move::Extend : Move::Keep);
            return true;
        }
    }
    return false;
}

bool TextBox::handleEditingKey(QKeyEvent *event)
{
    using Kind = EditHistory::Kind;
    if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo)) {
        redo();
    } else if (event->matches(QKeySequence::Copy)) {
        copySelection();
    } else if (event->matches(QKeySequence::Cut)) {
        cutSelection();
    } else if (event->matches(QKeySequence::Paste)) {
        pasteClipboard();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::InsertParagraphSeparator)
               || event->matches(QKeySequence::InsertLineSeparator)) {
        // Every line break typed is a CR LF, whatever ends the line it is typed in.
        insertFromUser(QStringLiteral("\r\n"), Kind::LineBreak);
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        if (hasSelection())
            deleteSelection();
        else
            replaceByUser(previousWordStart(m_caret), m_caret, QString(), Kind::Removal);
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (hasSelection())
            deleteSelection();
        else
            replaceByUser(m_caret, nextWordStart(m_caret), QString(), Kind::Removal);
    } else if (event->matches(QKeySequence::Delete)) {
        if (hasSelection())
            deleteSelection();
        else if (m_caret < m_buffer.size())
            replaceByUser(m_caret, nextCaretPosition(m_caret), QString(), Kind::Delete);
    } else if (event->key() == Qt::Key_Backspace
               && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        if (hasSelection()) {
            deleteSelection();
        } else if (m_caret > 0) {
            // One character back, so that an accent typed wrong can be typed again.
            qsizetype from = previousCaretPosition(m_caret);
            if (!LineEnds::isLineEndCharacter(m_buffer.at(m_caret - 1))) {
                from = m_caret - 1;
                if (from > 0 && m_buffer.at(from).isLowSurrogate()
                    && m_buffer.at(from - 1).isHighSurrogate())
                    --from;
            }
            replaceByUser(from, m_caret, QString(), Kind::Backspace);
        }
    } else if (isTypedText(*event)) {
        insertFromUser(event->text(), Kind::Typing);
    } else {
        return false;
    }
    return true;
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (handleMovementKey(event) || handleEditingKey(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

// ---- Input methods

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        qsizetype from = selectionStart();
        qsizetype to = selectionEnd();
        if (event->replacementLength() > 0 || event->replacementStart() != 0) {
            from = clampedPosition(m_caret + event->replacementStart());
            to = clampedPosition(from + event->replacementLength());
        }
        if (!replace(from, to, event->commitString(), EditHistory::Kind::Typing))
            QApplication::beep();
    }
    m_preedit = event->preeditString();
    m_preeditCaret = m_preedit.size();
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor)
            m_preeditCaret = std::clamp<qsizetype>(attribute.start, 0, m_preedit.size());
    }
    ensureCaretVisible();
    viewport()->update();
    event->accept();
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const qsizetype line = m_buffer.lineAt(m_caret);
    const qsizetype sliceStart = std::max(m_buffer.lineStart(line), m_caret - SurroundingReach);
    const qsizetype sliceEnd = std::min(m_buffer.lineEnd(line), m_caret + SurroundingReach);
    const QPoint viewportOffset = viewport()->geometry().topLeft();
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled();
    case Qt::ImCursorRectangle:
        return caretRect().translated(viewportOffset);
    case Qt::ImAnchorRectangle:
        return characterRect(m_anchor).toRect().translated(viewportOffset);
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(m_caret - sliceStart);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_anchor, sliceStart, sliceEnd) - sliceStart);
    case Qt::ImSurroundingText:
        return m_buffer.mid(sliceStart, sliceEnd - sliceStart);
    case Qt::ImTextBeforeCursor:
        return m_buffer.mid(sliceStart, m_caret - sliceStart);
    case Qt::ImTextAfterCursor:
        return m_buffer.mid(m_caret, sliceEnd - m_caret);
    case Qt::ImCurrentSelection:
        return m_buffer.mid(selectionStart(),
                            std::min(selectionEnd() - selectionStart(), SurroundingReach));
    case Qt::ImMaximumTextLength:
        return QVariant();
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// An input method keeps its window by the caret and knows the text around it.
void TextBox::tellInputMethod()
{
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
}

// ---- The mouse

void TextBox::mousePressEvent(QMouseEvent *event)
{
    const QPointF point = event->position();
    if (event->button() == Qt::MiddleButton) {
        if (QGuiApplication::clipboard()->supportsSelection())
            pastePrimarySelection(point);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    // A composition in progress is finished where it was before the caret moves.
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->commit();
    m_goalX.reset();
    const qsizetype position = positionAt(point);
    const bool tripleClick = m_sinceDoubleClick.isValid()
                             && m_sinceDoubleClick.elapsed()
                                    < QGuiApplication::styleHints()->mouseDoubleClickInterval()
                             && (point - m_doubleClickPoint).manhattanLength()
                                    < QGuiApplication::styleHints()->startDragDistance();
    m_sinceDoubleClick.invalidate();
    if (tripleClick) {
        // The whole line with its line end, as in QPlainTextEdit.
        const qsizetype line = m_buffer.lineAt(position);
        const qsizetype next = line + 1;
        setSelection(m_buffer.lineStart(line),
                     next < m_buffer.lineCount() ? m_buffer.lineStart(next) : m_buffer.size());
        offerPrimarySelection();
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        moveCaret(position, Move::Extend);
    } else if (hasSelection() && position > selectionStart() && position < selectionEnd()) {
        m_dragStart = point;
        return;
    } else {
        moveCaret(position, Move::Keep);
    }
    m_selectingByMouse = true;
}

void TextBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF point = event->position();
    m_lastMousePoint = point;
    if (m_dragStart) {
        if ((point - *m_dragStart).manhattanLength()
            < QGuiApplication::styleHints()->startDragDistance())
            return;
        m_dragStart.reset();
        auto *drag = new QDrag(this);
        drag->setMimeData(selectionAsMimeData());
        m_droppedOnItself = false;
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        if (done == Qt::MoveAction && !m_droppedOnItself)
            deleteSelection();
        return;
    }
    if (!m_selectingByMouse || !(event->buttons() & Qt::LeftButton))
        return;
    setSelection(m_anchor, positionAt(point));
    if (viewport()->rect().contains(point.toPoint())) {
        m_autoscrollTimer.stop();
        ensureCaretVisible();
    } else if (!m_autoscrollTimer.isActive()) {
        m_autoscrollTimer.start(50, this);
    }
}

// While a drag passes an edge, the text scrolls towards the mouse and the selection follows.
void TextBox::autoscroll()
{
    const QRect inside = viewport()->rect();
    const QPointF point = m_lastMousePoint;
    if (point.y() < inside.top())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > inside.bottom())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (point.x() < inside.left())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.x() > inside.right())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const QPointF clamped(std::clamp<qreal>(point.x(), inside.left(), inside.right()),
                          std::clamp<qreal>(point.y(), inside.top(), inside.bottom()));
    setSelection(m_anchor, positionAt(clamped));
}

void TextBox::mouseReleaseEvent(QMouseEvent *event)
{
    m_autoscrollTimer.stop();
    if (event->button() != Qt::LeftButton)
        return;
    if (m_dragStart) {
        m_dragStart.reset();
        moveCaret(positionAt(event->position()), Move::Keep);
    }
    if (m_selectingByMouse) {
        m_selectingByMouse = false;
        offerPrimarySelection();
    }
}

void TextBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const auto [from, to] = wordAround(positionAt(event->position()));
    setSelection(from, to);
    offerPrimarySelection();
    m_sinceDoubleClick.start();
    m_doubleClickPoint = event->position();
    m_selectingByMouse = true;
}

// ---- Dragging and dropping

void TextBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (!isEnabled() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TextBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (!isEnabled() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    m_dropCaret = positionAt(event->position());
    viewport()->update();
    event->acceptProposedAction();
}

void TextBox::dragLeaveEvent(QDragLeaveEvent *)
{
    m_dropCaret.reset();
    viewport()->update();
}

void TextBox::dropEvent(QDropEvent *event)
{
    m_dropCaret.reset();
    if (!isEnabled() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    const qsizetype position = positionAt(event->position());
    const bool fromHere = event->source() == this;
    if (fromHere && event->dropAction() == Qt::MoveAction) {
        // A move within the text is one edit, which one Undo takes back.
        m_droppedOnItself = true;
        event->acceptProposedAction();
        const qsizetype from = selectionStart();
        const qsizetype to = selectionEnd();
        if (position >= from && position <= to)
            return;
        const QString moved = SelText();
        if (position < from)
            replace(position, to, moved + m_buffer.mid(position, from - position),
                    EditHistory::Kind::Insertion);
        else
            replace(from, position, m_buffer.mid(to, position - to) + moved,
                    EditHistory::Kind::Insertion);
        const qsizetype movedEnd = position < from ? position + moved.size() : position;
        setSelection(movedEnd, movedEnd);
        ensureCaretVisible();
        return;
    }
    // A drop that does not fit is not taken, so that a source moving its text keeps it. A text
    // too long by itself is not converted at all.
    const QString text = event->mimeData()->text();
    const QString dropped = text.size() > LargestText ? QString() : LineEnds::toCrLf(text);
    const qsizetype droppedSize = text.size() > LargestText ? text.size() : dropped.size();
    if (!admits(0, droppedSize)) {
        event->ignore();
        emit refused(tooLarge(0, droppedSize));
        return;
    }
    event->acceptProposedAction();
    setSelection(position, position);
    replaceByUser(position, position, dropped, EditHistory::Kind::Insertion);
}

// ---- The context menu

QMenu *TextBox::createStandardContextMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("qt_edit_menu"));
    const auto add
        = [this, menu](const char *name, const char *objectName, QKeySequence::StandardKey key,
                       bool enabled, void (TextBox::*step)()) {
              // The words of QPlainTextEdit's own menu, which Qt's translations already hold.
              QString text = QCoreApplication::translate("QWidgetTextControl", name);
              const QKeySequence shortcut(key);
              if (!shortcut.isEmpty())
                  text += u'\t' + shortcut.toString(QKeySequence::NativeText);
              QAction *action = menu->addAction(text, this, step);
              action->setObjectName(QString::fromLatin1(objectName));
              action->setEnabled(enabled);
          };
    // Out of the user's reach, the area is read-only, and the menu only copies and selects.
    const bool editable = isEnabled();
    if (editable) {
        add("&Undo", "edit-undo", QKeySequence::Undo, canUndo(), &TextBox::undo);
        add("&Redo", "edit-redo", QKeySequence::Redo, canRedo(), &TextBox::redo);
        menu->addSeparator();
        add("Cu&t", "edit-cut", QKeySequence::Cut, hasSelection(), &TextBox::cutSelection);
    }
    add("&Copy", "edit-copy", QKeySequence::Copy, hasSelection(), &TextBox::copySelection);
    if (editable) {
        const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
        add("&Paste", "edit-paste", QKeySequence::Paste, clipboard && clipboard->hasText(),
            &TextBox::pasteClipboard);
        add("Delete", "edit-delete", QKeySequence::UnknownKey, hasSelection(),
            &TextBox::deleteSelection);
    }
    menu->addSeparator();
    add("Select All", "select-all", QKeySequence::SelectAll, !m_buffer.isEmpty(),
        &TextBox::selectAll);
    return menu;
}

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    menu->exec(event->globalPos());
}

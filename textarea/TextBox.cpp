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
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>

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
    // The paint fills its own background, with the painter it draws the text with: Qt's filling
    // would begin a painter of its own at every key.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
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
    m_layouts = std::make_unique<LineLayouts>(m_buffer, font());
    m_lineHeight = m_layouts->rowHeight();
    m_widestSeen = 0;
    measureVisibleLines();
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
    setSelection(m_positions.clamped(start), m_positions.clamped(start));
    ensureCaretVisible();
}

void TextBox::SetSelLength(int length)
{
    const qsizetype from = selectionStart();
    qsizetype to = std::min(from + std::max(0, length), m_buffer.size());
    to = m_positions.outsideLineEnd(to, true);
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

RuntimeFailure TextBox::tooLarge(qsizetype removed, qsizetype inserted, Count count) const
{
    const QString length = QLocale().toString(m_buffer.size() - removed + inserted);
    const QString wouldHave = count == Count::Exact
                                  ? tr("miałby %1 znaków").arg(length)
                                  : tr("miałby co najmniej %1 znaków").arg(length);
    return RuntimeFailure(RuntimeFailure::OutOfMemory,
                          tr("Tekst byłby za długi: %1, a pole tekstowe przyjmuje teksty do %2 "
                             "znaków. Nic nie wklejono.")
                              .arg(wouldHave, QLocale().toString(LargestText)));
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
    const qsizetype longestBefore = m_buffer.longestLineLength();
    // Whether an edit of one line on show may leave glyphs of it in the rows beside.
    const bool oneLineOnShow = line == lastLineBefore && isLineOnShow(line);
    const bool stayedInRow = oneLineOnShow && m_layouts->staysInRow(line);
    QString removed;
    const bool wholeText = from == 0 && to == m_buffer.size();
    if (wholeText) {
        removed = m_buffer.text();
        m_buffer.setText(text);
        m_layouts->forgetAll();
        m_widestSeen = 0;
    } else {
        removed = m_buffer.mid(from, to - from);
        m_buffer.replace(from, to - from, text);
    }
    const qsizetype lastLineAfter = m_buffer.lineAt(from + text.size());
    if (!wholeText)
        m_layouts->textReplaced(line, column, lastLineBefore, lastLineAfter, to - from,
                                text.size());
    const qsizetype lineDelta = m_buffer.lineCount() - linesBefore;
    ++m_editCount;

    keepLongestLine({line, lastLineBefore, lastLineAfter}, longestBefore);

    const bool selectionWas = hasSelection();
    m_anchor = m_caret = m_positions.outsideLineEnd(from + text.size(), true);
    m_goalX.reset();
    emit textReplaced(from, removed, text);
    tellInputMethod();
    emit textChanged(from, removed.size(), text.size());
    emit caretMoved(m_caret);
    if (selectionWas)
        emit selectionChanged();
    // An edit within a line changes that line alone; one that adds or takes away lines moves
    // every line below it too, down to the rows the last lines leave empty. Their rows are
    // painted again whole, the caret with them: asking where the caret is drawn would lay out
    // its line now, even where SetText is about to put the caret elsewhere.
    const qsizetype lastChanged
        = lineDelta == 0 ? lastLineAfter : std::max(linesBefore, m_buffer.lineCount());
    measureVisibleLines(line, lastChanged);
    updateScrollRanges();
    const bool keptToRow = stayedInRow && lineDelta == 0 && m_layouts->staysInRow(line);
    updateLines(line, lastChanged, keptToRow ? Reach::OwnRows : Reach::BesideRows);
    showCaretAfresh();
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
        // The key was heard, though it changed nothing.
        restartBlinking();
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

// ---- Selection

void TextBox::setSelection(qsizetype anchor, qsizetype caret)
{
    anchor = m_positions.clamped(anchor);
    caret = m_positions.clamped(caret);
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

bool TextBox::caretLineIsRightToLeft() const
{
    return m_layouts->isRightToLeft(m_buffer.lineAt(m_caret));
}

// Without Shift, a selection is left at its end the move goes to.
void TextBox::moveByCharacter(bool forward, Move move)
{
    if (move == Move::Keep && hasSelection())
        moveCaret(forward ? selectionEnd() : selectionStart(), move);
    else
        moveCaret(forward ? m_positions.next(m_caret) : m_positions.previous(m_caret), move);
}

void TextBox::moveByWord(bool forward, Move move)
{
    moveCaret(forward ? m_positions.nextWordStart(m_caret) : m_positions.previousWordStart(m_caret),
              move);
}

// The caret goes that many lines up or down, stopping at the first or the last line, at the
// column it aims for.
void TextBox::moveVertically(qsizetype lines, Move move)
{
    const qsizetype line = m_buffer.lineAt(m_caret);
    if (!m_goalX)
        m_goalX = m_layouts->x(line, m_caret - m_buffer.lineStart(line));
    const qsizetype target = std::clamp<qsizetype>(line + lines, 0, m_buffer.lineCount() - 1);
    const qreal goal = *m_goalX;
    moveCaret(m_buffer.lineStart(target) + m_layouts->columnAt(target, goal), move);
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
    if (!m_clipboard)
        return;
    QString text;
    try {
        text = m_clipboard->primaryText(LargestText);
    } catch (const RuntimeFailure &failure) {
        emit refused(failure);
        return;
    }
    if (text.isEmpty())
        return;
    const qsizetype position = positionAt(at);
    setSelection(position, position);
    replaceByUser(position, position, text, EditHistory::Kind::Insertion);
}

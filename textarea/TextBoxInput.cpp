// SPDX-License-Identifier: GPL-3.0-or-later
// How the user works the text area: keys, input methods and the mouse.
#include "textarea/TextBox.h"

#include "textarea/LineEnds.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>
#include <functional>

namespace {

// How much of the text around the caret an input method is told.
constexpr qsizetype SurroundingReach = 1000;

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
             moveByCharacter(!caretLineIsRightToLeft(), move);
         }},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
         [this](Move move) {
             moveByCharacter(caretLineIsRightToLeft(), move);
         }},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord,
         [this](Move move) {
             moveByWord(!caretLineIsRightToLeft(), move);
         }},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
         [this](Move move) {
             moveByWord(caretLineIsRightToLeft(), move);
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
            replaceByUser(m_positions.previousWordStart(m_caret), m_caret, QString(),
                          Kind::Removal);
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (hasSelection())
            deleteSelection();
        else
            replaceByUser(m_caret, m_positions.nextWordStart(m_caret), QString(), Kind::Removal);
    } else if (event->matches(QKeySequence::Delete)) {
        if (hasSelection())
            deleteSelection();
        else if (m_caret < m_buffer.size())
            replaceByUser(m_caret, m_positions.next(m_caret), QString(), Kind::Delete);
    } else if (event->key() == Qt::Key_Backspace
               && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        if (hasSelection()) {
            deleteSelection();
        } else if (m_caret > 0) {
            // One character back, so that an accent typed wrong can be typed again.
            qsizetype from = m_positions.previous(m_caret);
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
    // A character typed without Ctrl, Alt or Meta is no standard key on any platform, so it goes
    // in without the look through all of them, a good share of what a typed key costs. The
    // edit shows the caret afresh with the rows it repaints.
    const bool plain
        = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && isTypedText(*event)) {
        insertFromUser(event->text(), EditHistory::Kind::Typing);
        event->accept();
        return;
    }
    restartBlinking();
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
    restartBlinking();
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        qsizetype from = selectionStart();
        qsizetype to = selectionEnd();
        if (event->replacementLength() > 0 || event->replacementStart() != 0) {
            from = m_positions.clamped(m_caret + event->replacementStart());
            to = m_positions.clamped(from + event->replacementLength());
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
    restartBlinking();
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
    const auto [from, to] = m_positions.wordAround(positionAt(event->position()));
    setSelection(from, to);
    offerPrimarySelection();
    m_sinceDoubleClick.start();
    m_doubleClickPoint = event->position();
    m_selectingByMouse = true;
}

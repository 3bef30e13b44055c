// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/AreaFont.h"
#include "textarea/CaretPositions.h"
#include "textarea/EditHistory.h"
#include "textarea/LineLayouts.h"
#include "textarea/TextArea.h"
#include "textarea/TextBuffer.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPointer>

#include <limits>
#include <memory>
#include <optional>

class ClipboardText;
class QMenu;
class QMimeData;
class RuntimeFailure;

// The text area: one font and one colour for the whole text, no wrapping, both scroll bars
// always shown, Tab moves the focus on. The text keeps its characters exactly, CR LF, lone CR
// and lone LF alike. Lines are shaped and ordered as QPlainTextEdit shaped them (LineLayouts),
// and only what is visible is laid out, of a long line only the visible part: a text of tens of
// millions of characters, or a line of that many, costs about what a short one does per key and
// per paint.
//
// Every way text comes in (typing, an input method, a paste by any route, a drop, SetText,
// SetSelText) passes one gate: a text longer than TextArea::LargestText is refused whole.
//
// Disabled, it still reads well: the style's muted text colour is darkened just enough to be
// readable on the muted background.
//
// The contract's members keep their design names (Text, SetFocus, ...); next to them, plain
// members give what views of the text (assistive technology, tests) need: the text, the caret,
// the selection and where characters are drawn. Positions count 16-bit characters from 0.
class TextBox
    : public QAbstractScrollArea
    , public TextArea
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);
    ~TextBox() override;

    QString Text() const override;
    void SetText(const QString &text) override;
    void SetSelStart(int start) override;
    void SetSelLength(int length) override;
    QString SelText() const override;
    void SetSelText(const QString &text) override;
    void SetEnabled(bool enabled) override;
    FontObject &Font() override;
    void SetFontStrikethru(bool on) override;
    void SetForeColor(OleColor color) override;
    void SetFocus() override;

    // The clipboard the keys and the menu copy to and paste from; without one they do nothing.
    void setClipboard(std::unique_ptr<ClipboardText> clipboard);

    // The text the area starts with, which Undo does not take away.
    void setInitialText(const QString &text);

    void undo();
    void redo();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }

    const TextBuffer &buffer() const { return m_buffer; }
    qsizetype caretPosition() const { return m_caret; }
    qsizetype anchorPosition() const { return m_anchor; }
    qsizetype selectionStart() const { return std::min(m_anchor, m_caret); }
    qsizetype selectionEnd() const { return std::max(m_anchor, m_caret); }
    bool hasSelection() const { return m_anchor != m_caret; }
    // Counts the changes of the text, so that a copy of positions can tell it is out of date.
    quint64 editCount() const { return m_editCount; }
    // Selects from anchor to caret (the same position for none), as the user would.
    void setSelection(qsizetype anchor, qsizetype caret);
    // Where the character at position is drawn, in the viewport's coordinates (a line end as a
    // narrow box after its line's last character).
    QRectF characterRect(qsizetype position) const;
    // The caret's rectangle, in the viewport's coordinates.
    QRect caretRect() const;
    // The caret position nearest to a point of the viewport.
    qsizetype positionAt(QPointF point) const;
    void ensureCaretVisible();

    // The menu the right mouse button opens, as QPlainTextEdit's in the user's language.
    QMenu *createStandardContextMenu();

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // removed characters at position gave way to added ones.
    void textChanged(qsizetype position, qsizetype removed, qsizetype added);
    // The same change with its characters, for those who tell it on (assistive technology).
    void textReplaced(qsizetype position, const QString &removed, const QString &added);
    void caretMoved(qsizetype position);
    void selectionChanged();
    // A paste or a drop the user asked for was refused; nothing changed. The window reports it.
    void refused(const RuntimeFailure &failure);

protected:
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    enum class Move { Keep, Extend };

    // The one way the text changes. False, and nothing changed, when the text would grow past
    // LargestText.
    bool replace(qsizetype from, qsizetype to, const QString &text, EditHistory::Kind kind);
    // The same, from the user: a refusal is reported as a paste's is.
    bool replaceByUser(qsizetype from, qsizetype to, const QString &text, EditHistory::Kind kind);
    QString replaceUnrecorded(qsizetype from, qsizetype to, const QString &text);
    bool admits(qsizetype removed, qsizetype inserted) const;
    // How well the length of the text that did not fit is known.
    enum class Count { Exact, AtLeast };
    RuntimeFailure tooLarge(qsizetype removed, qsizetype inserted,
                            Count count = Count::Exact) const;
    void insertFromUser(const QString &text, EditHistory::Kind kind);
    void pasteClipboard();
    void pastePrimarySelection(QPointF at);
    void copySelection();
    void cutSelection();
    void deleteSelection();
    void selectAll();
    void offerPrimarySelection();
    QMimeData *selectionAsMimeData() const;

    void takeHistoryStep(qsizetype (EditHistory::*step)(const EditHistory::Replace &));
    void moveCaret(qsizetype position, Move move);
    // Right and Left move on or back in the text, the other way round on a right-to-left line.
    bool caretLineIsRightToLeft() const;
    void moveByCharacter(bool forward, Move move);
    void moveByWord(bool forward, Move move);
    void moveVertically(qsizetype lines, Move move);
    void moveOneLine(qsizetype direction, Move move);
    void movePage(qsizetype direction, Move move);
    bool handleMovementKey(QKeyEvent *event);
    bool handleEditingKey(QKeyEvent *event);

    void resetFont();
    void nameInnerParts();
    void makeDisabledLookReadable();
    bool measureVisibleLines(qsizetype from = 0,
                             qsizetype to = std::numeric_limits<qsizetype>::max());
    void updateScrollRanges();
    enum class Reach { OwnRows, BesideRows };
    void updateLines(qsizetype first, qsizetype last, Reach reach);
    bool isLineOnShow(qsizetype line) const;
    // The lines an edit changed: from first to lastBefore, which are now those to lastAfter.
    struct EditedLines
    {
        qsizetype first;
        qsizetype lastBefore;
        qsizetype lastAfter;
    };
    void keepLongestLine(const EditedLines &edited, qsizetype longestBefore);
    qreal contentWidth() const;
    qreal scrollX() const;
    qsizetype firstVisibleLine() const;
    int lineHeight() const { return m_lineHeight; }
    int visibleLineCount() const;
    qreal lineY(qsizetype line) const;
    QPointF viewportPointOf(qsizetype position) const;
    void paintLine(QPainter &painter, qsizetype line, qreal y, const QRect &exposed);
    LineLayouts::Preedit preedit() const;

    void tellInputMethod();
    bool caretShouldBlink() const;
    void showCaretAfresh();
    void restartBlinking();
    void repaintCaret();
    void autoscroll();

    AreaFont m_font;
    std::unique_ptr<ClipboardText> m_clipboard;
    TextBuffer m_buffer;
    const CaretPositions m_positions{m_buffer};
    std::unique_ptr<LineLayouts> m_layouts;
    EditHistory m_history;
    quint64 m_editCount = 0;
    qsizetype m_caret = 0;
    qsizetype m_anchor = 0;
    // Where vertical moves aim, in pixels from the line start; kept across short lines.
    std::optional<qreal> m_goalX;
    qsizetype m_longestLine = 0;
    qreal m_widestSeen = 0;
    // Pixels per step of the horizontal scroll bar, whose range is only an int.
    qreal m_horizontalUnit = 1;
    int m_lineHeight = 1;

    QBasicTimer m_blinkTimer;
    bool m_caretShown = true;
    QElapsedTimer m_sinceInput;
    QString m_preedit;
    qsizetype m_preeditCaret = 0;

    QBasicTimer m_autoscrollTimer;
    QPointF m_lastMousePoint;
    bool m_selectingByMouse = false;
    QElapsedTimer m_sinceDoubleClick;
    QPointF m_doubleClickPoint;
    std::optional<QPointF> m_dragStart;
    bool m_droppedOnItself = false;
    std::optional<qsizetype> m_dropCaret;
};

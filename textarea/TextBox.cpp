// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBox.h"

#include "common/RuntimeFailure.h"
#include "textarea/DocumentText.h"
#include "textarea/LineEnds.h"
#include "textarea/ReadableColor.h"
#include "textarea/SelectionMimeData.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <memory>

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_font(*this)
    , m_wholeText(*this)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    nameInnerParts();
    makeDisabledLookReadable();
    keepLongLinesShaped();
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
// read. The background stays the style's muted one, so the area still looks out of reach. (A
// selection is drawn in the style's own highlight colours whether the area is enabled or not.)
void TextBox::makeDisabledLookReadable()
{
    QPalette colours = palette();
    colours.setColor(QPalette::Disabled, QPalette::Text,
                     ReadableColor::on(colours.color(QPalette::Disabled, QPalette::Base),
                                       colours.color(QPalette::Disabled, QPalette::Text)));
    setPalette(colours);
}

// A line's layout throws its shaped glyphs away once it is laid out, so a line of a megabyte
// would be shaped again for every caret blink, paint and keystroke. Long lines keep them; short
// ones are cheap to shape and stay as the toolkit has them.
void TextBox::keepLongLinesShaped()
{
    constexpr int LongLine = 10'000;
    connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        for (QTextBlock block = document()->findBlock(position);
             block.isValid() && block.position() <= position + added; block = block.next()) {
            if (block.length() > LongLine)
                block.layout()->setCacheEnabled(true);
        }
    });
}

QString TextBox::Text() const
{
    return DocumentText(*document()).read();
}

void TextBox::SetText(const QString &text)
{
    m_wholeText.replace(text);
    setTextCursor(QTextCursor(document()));
}

void TextBox::SetSelStart(int start)
{
    const int position
        = DocumentText(*document()).toDocumentPosition(start, DocumentText::Rounding::Down);
    QTextCursor cursor = textCursor();
    cursor.setPosition(position);
    setTextCursor(cursor);
}

void TextBox::SetSelLength(int length)
{
    const DocumentText mapping(*document());
    QTextCursor cursor = textCursor();
    const int anchor = cursor.selectionStart();
    const int end = mapping.toDocumentPosition(mapping.toTextPosition(anchor) + qMax(0, length),
                                               DocumentText::Rounding::Up);
    cursor.setPosition(anchor);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

QString TextBox::SelText() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    return DocumentText(*document()).read(cursor.selectionStart(), cursor.selectionEnd());
}

void TextBox::SetSelText(const QString &text)
{
    QTextCursor cursor = textCursor();
    const int documentFrom = cursor.selectionStart();
    const int documentTo = cursor.selectionEnd();
    if (std::max(qsizetype(documentTo - documentFrom), text.size()) < LargeEdit) {
        DocumentText::insert(cursor, text);
        setTextCursor(cursor);
        return;
    }
    const QString whole = Text();
    const DocumentText before(*document());
    const int from = before.toTextPosition(documentFrom);
    const int to = before.toTextPosition(documentTo);
    m_wholeText.replace(whole.left(from) + text + whole.mid(to));
    cursor = QTextCursor(document());
    cursor.setPosition(
        DocumentText(*document())
            .toDocumentPosition(from + int(text.size()), DocumentText::Rounding::Up));
    setTextCursor(cursor);
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
    document()->clearUndoRedoStacks();
    m_wholeText.forget();
}

void TextBox::undo()
{
    if (document()->isUndoAvailable())
        QPlainTextEdit::undo();
    else
        m_wholeText.undo();
}

void TextBox::redo()
{
    if (document()->isRedoAvailable())
        QPlainTextEdit::redo();
    else
        m_wholeText.redo();
}

bool TextBox::canUndo() const
{
    return document()->isUndoAvailable() || m_wholeText.canUndo();
}

bool TextBox::canRedo() const
{
    return document()->isRedoAvailable() || m_wholeText.canRedo();
}

void TextBox::changeEvent(QEvent *event)
{
    // Out of the user's reach is also not editable for assistive technology, whichever way the
    // area was disabled. Read-only does not stop the program's own writes.
    if (event->type() == QEvent::EnabledChange)
        setReadOnly(!isEnabled());
    QPlainTextEdit::changeEvent(event);
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo)) {
        undo();
        return;
    }
    if (event->matches(QKeySequence::Redo)) {
        redo();
        return;
    }
    // Enter starts a new line with CR LF, whatever ended the line it is typed in; Shift+Enter
    // would insert U+2028, but in a plain text every line break typed is a CR LF.
    if (event->matches(QKeySequence::InsertParagraphSeparator)
        || event->matches(QKeySequence::InsertLineSeparator)) {
        SetSelText(QStringLiteral("\r\n"));
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::mouseMoveEvent(QMouseEvent *event)
{
    const QScopedValueRollback dragMayStart(m_dragMayStart, true);
    QPlainTextEdit::mouseMoveEvent(event);
}

// Copying, cutting, dragging and the X11 primary selection go through the text's own
// characters, so that other programs get the same text as from the copy button. A drag that
// moves the text removes it before the drop reads it, so a drag takes the text at once.
QMimeData *TextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *mimeData
        = new SelectionMimeData(*document(), cursor.selectionStart(), cursor.selectionEnd());
    if (m_dragMayStart)
        mimeData->take();
    return mimeData;
}

void TextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    SetSelText(LineEnds::toCrLf(source->text()));
    ensureCursorVisible();
}

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    for (QAction *action : menu->actions()) {
        const auto rewire = [this, action](void (TextBox::*step)(), bool available) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, step);
            action->setEnabled(available);
        };
        if (action->objectName() == u"edit-undo")
            rewire(&TextBox::undo, canUndo());
        else if (action->objectName() == u"edit-redo")
            rewire(&TextBox::redo, canRedo());
    }
    menu->exec(event->globalPos());
}

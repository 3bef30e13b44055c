#include "platform/TextBox.h"

#include "platform/DocumentText.h"
#include "platform/LineEnds.h"
#include "platform/ReadableColor.h"
#include "platform/RuntimeFailure.h"
#include "platform/SelectionMimeData.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <memory>

#ifdef __GLIBC__
#include <malloc.h>
#endif

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_font(*this)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    nameInnerParts();
    makeDisabledLookReadable();
    // A new edit after a whole text was undone makes that text unreachable by Redo.
    connect(document(), &QTextDocument::undoCommandAdded, this, [this] {
        if (m_wholeTextStep == WholeTextStep::Redo) {
            m_wholeTextStep = WholeTextStep::None;
            m_otherWholeText.clear();
        }
    });
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

QString TextBox::Text() const
{
    return DocumentText(*document()).read();
}

void TextBox::SetText(const QString &text)
{
    replaceWholeTextUndoably(text);
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
    replaceWholeTextUndoably(whole.left(from) + text + whole.mid(to));
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
    m_wholeTextStep = WholeTextStep::None;
    m_otherWholeText.clear();
}

void TextBox::undo()
{
    if (document()->isUndoAvailable()) {
        QPlainTextEdit::undo();
    } else if (m_wholeTextStep == WholeTextStep::Undo) {
        swapWholeText();
        m_wholeTextStep = WholeTextStep::Redo;
    }
}

void TextBox::redo()
{
    if (document()->isRedoAvailable()) {
        QPlainTextEdit::redo();
    } else if (m_wholeTextStep == WholeTextStep::Redo) {
        swapWholeText();
        m_wholeTextStep = WholeTextStep::Undo;
    }
}

bool TextBox::canUndo() const
{
    return document()->isUndoAvailable() || m_wholeTextStep == WholeTextStep::Undo;
}

bool TextBox::canRedo() const
{
    return document()->isRedoAvailable() || m_wholeTextStep == WholeTextStep::Redo;
}

// Replacing the whole text (reading a file, pasting over a large selection) is undone by
// keeping the text it replaced, not through the document's own undo steps: those would hold a
// step per line and keep every earlier text, removed or not, for as long as the document lives,
// so that reading a 10 MiB file again and again grew by 50 MB each time. One earlier text is
// kept, and Undo once every later edit is undone brings it back.
void TextBox::replaceWholeTextUndoably(const QString &text)
{
    m_otherWholeText = Text();
    m_wholeTextStep = WholeTextStep::Undo;
    replaceWholeText(text);
    giveFreedMemoryBack();
}

// glibc serves blocks of up to 32 MB from its heap once a large block has been freed, and keeps
// what is freed there for later: after a few large texts come and go, the program would hold on
// to hundreds of megabytes it no longer uses.
void TextBox::giveFreedMemoryBack()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void TextBox::swapWholeText()
{
    const QString shown = Text();
    replaceWholeText(m_otherWholeText);
    m_otherWholeText = shown;
    giveFreedMemoryBack();
    setTextCursor(QTextCursor(document()));
}

// Emptying the document gives back the room of every text it ever held, and restarts the
// toolkit's bookkeeping of the widest line. Without that, a large insertion can move the widest
// line's mark onto the empty last line, and the layout, finding it narrower, measures every line
// again, building a layout object for each (66 MB for 250,000 lines).
void TextBox::replaceWholeText(const QString &text)
{
    document()->clear();
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    DocumentText::insert(cursor, text);
    document()->setUndoRedoEnabled(true);
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

TextBox::AreaFont::AreaFont(QWidget &area)
    : m_area(area)
{}

QString TextBox::AreaFont::Name() const
{
    return m_area.font().family();
}

float TextBox::AreaFont::Size() const
{
    return float(m_area.font().pointSizeF());
}

bool TextBox::AreaFont::Bold() const
{
    return m_area.font().bold();
}

bool TextBox::AreaFont::Italic() const
{
    return m_area.font().italic();
}

bool TextBox::AreaFont::Underline() const
{
    return m_area.font().underline();
}

bool TextBox::AreaFont::Strikethrough() const
{
    return m_area.font().strikeOut();
}

template<typename Change>
void TextBox::AreaFont::change(Change change)
{
    QFont font = m_area.font();
    change(font);
    m_area.setFont(font);
}

void TextBox::AreaFont::SetName(const QString &name)
{
    change([&name](QFont &font) { font.setFamily(name); });
}

void TextBox::AreaFont::SetSize(float points)
{
    change([points](QFont &font) { font.setPointSizeF(points); });
}

void TextBox::AreaFont::SetBold(bool on)
{
    change([on](QFont &font) { font.setBold(on); });
}

void TextBox::AreaFont::SetItalic(bool on)
{
    change([on](QFont &font) { font.setItalic(on); });
}

void TextBox::AreaFont::SetUnderline(bool on)
{
    change([on](QFont &font) { font.setUnderline(on); });
}

void TextBox::AreaFont::SetStrikethrough(bool on)
{
    change([on](QFont &font) { font.setStrikeOut(on); });
}

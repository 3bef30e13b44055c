#include "platform/TextBox.h"

#include "platform/DocumentText.h"
#include "platform/LineEnds.h"
#include "platform/RuntimeFailure.h"
#include "platform/SelectionMimeData.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_font(*this)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

QString TextBox::Text() const
{
    return DocumentText(*document()).read();
}

void TextBox::SetText(const QString &text)
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    DocumentText::insert(cursor, text);
    setTextCursor(QTextCursor(document()));
    horizontalScrollBar()->setValue(0);
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
    DocumentText::insert(cursor, text);
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
    // A disabled area keeps the style's disabled colour, which tells the user it is out of reach.
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
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
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

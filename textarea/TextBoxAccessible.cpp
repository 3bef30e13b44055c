// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBoxAccessible.h"

#include "textarea/TextBox.h"

namespace {

QAccessibleInterface *describe(const QString &className, QObject *object)
{
    if (className == QLatin1String(TextBox::staticMetaObject.className()))
        return new TextBoxAccessible(static_cast<TextBox *>(object));
    return nullptr;
}

} // namespace

TextBoxAccessible::TextBoxAccessible(TextBox *area)
    : QAccessibleWidget(area, QAccessible::EditableText)
{}

TextBox *TextBoxAccessible::area() const
{
    return static_cast<TextBox *>(widget());
}

QAccessible::State TextBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const bool editable = widget()->isEnabled();
    state.editable = editable;
    state.readOnly = !editable;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void *TextBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void TextBoxAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    const bool selected = selectionIndex == 0 && area()->hasSelection();
    *startOffset = selected ? int(area()->selectionStart()) : 0;
    *endOffset = selected ? int(area()->selectionEnd()) : 0;
}

int TextBoxAccessible::selectionCount() const
{
    return area()->hasSelection() ? 1 : 0;
}

void TextBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextBoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        area()->setSelection(area()->caretPosition(), area()->caretPosition());
}

void TextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        area()->setSelection(startOffset, endOffset);
}

int TextBoxAccessible::cursorPosition() const
{
    return int(area()->caretPosition());
}

void TextBoxAccessible::setCursorPosition(int position)
{
    area()->setSelection(position, position);
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    return area()->buffer().mid(startOffset, endOffset - startOffset);
}

int TextBoxAccessible::characterCount() const
{
    return int(area()->buffer().size());
}

QRect TextBoxAccessible::characterRect(int offset) const
{
    const QRect inViewport = area()->characterRect(offset).toRect();
    return QRect(area()->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size());
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    return int(area()->positionAt(area()->viewport()->mapFromGlobal(point)));
}

void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    area()->setSelection(startIndex, endIndex);
    area()->ensureCaretVisible();
}

// One font and colour for the whole text: no runs of attributes.
QString TextBoxAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void TextBoxAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    Q_UNUSED(installed);
}

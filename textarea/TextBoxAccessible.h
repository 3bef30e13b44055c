// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class TextBox;

// What assistive technology is told of the text area: an editable text, read-only while the
// area is out of the user's reach, whose characters, caret and selection can be read.
class TextBoxAccessible
    : public QAccessibleWidget
    , public QAccessibleTextInterface
{
public:
    explicit TextBoxAccessible(TextBox *area);

    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // Makes the toolkit describe every text area this way; once is enough.
    static void install();

private:
    TextBox *area() const;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class TextBox;

// What assistive technology is told of the text area: an editable text, read-only while the
// area is out of the user's reach, whose characters, caret, selection and character extents a
// screen reader reads, and whose edits it may make as the user would.
//
// Offsets are the area's positions. However long the text or a line of it, an answer costs
// about what it returns: words, sentences and characters are looked for in a slice around the
// offset, never in the whole text, which Qt's own answers for these questions copy each time.
class TextBoxAccessible
    : public QAccessibleWidget
    , public QAccessibleTextInterface
    , public QAccessibleEditableTextInterface
{
public:
    explicit TextBoxAccessible(QWidget *area);

    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;
    // The name and description the window gives the area; the text is read through the text
    // interface below, whose text() would otherwise hide this one.
    using QAccessibleWidget::text;

    // QAccessibleTextInterface
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    int selectionCount() const override;
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

    // Makes the toolkit describe every text area this way, and tells assistive technology of
    // each change of the area's text, caret and selection while it listens.
    static void attach(TextBox &area);

private:
    struct Segment
    {
        qsizetype start = 0;
        qsizetype end = 0;
    };

    TextBox &textBox() const;
    qsizetype clamped(int offset) const;
    Segment segmentAt(qsizetype position, QAccessible::TextBoundaryType boundaryType) const;
    Segment lineEndAt(qsizetype position) const;
    Segment foundSegment(qsizetype position, qsizetype reach,
                         QAccessible::TextBoundaryType boundaryType) const;
    QString segmentText(Segment segment, int *startOffset, int *endOffset) const;
    void scrollHorizontallyTo(qsizetype position, const QRectF &range);
};

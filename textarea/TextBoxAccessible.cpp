// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBoxAccessible.h"

#include "common/RuntimeFailure.h"
#include "textarea/LineEnds.h"
#include "textarea/TextBox.h"

#include <QMap>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// How much of an edit's removed and inserted text its event carries: enough for any typing or
// ordinary paste, and a new text of tens of millions of characters is not copied onto the bus.
// The bus gives a change's length as its text's, so a larger change reads as this long; a
// screen reader reads the text itself again after it.
constexpr qsizetype LongestToldChange = 65536;
// Blank room kept beside a range scrolled into view.
constexpr qreal ScrollMargin = 4;

QAccessibleInterface *describe(const QString &className, QObject *object)
{
    if (className == QLatin1String(TextBox::staticMetaObject.className()) && object->isWidgetType())
        return new TextBoxAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

void tellReplacement(TextBox &area, qsizetype position, const QString &removed,
                     const QString &added)
{
    const QString removedTold = removed.left(LongestToldChange);
    const QString addedTold = added.left(LongestToldChange);
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent event(&area, int(position), addedTold);
        QAccessible::updateAccessibility(&event);
    } else if (added.isEmpty()) {
        QAccessibleTextRemoveEvent event(&area, int(position), removedTold);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(&area, int(position), removedTold, addedTold);
        QAccessible::updateAccessibility(&event);
    }
}

void tellSelection(TextBox &area)
{
    QAccessibleTextSelectionEvent event(&area, int(area.selectionStart()),
                                        int(area.selectionEnd()));
    event.setCursorPosition(int(area.caretPosition()));
    QAccessible::updateAccessibility(&event);
}

// IAccessible2's text attribute values escape these characters.
QString escapedAttribute(QString value)
{
    for (const QChar special : {u'\\', u':', u',', u'=', u';', u'"'})
        value.replace(special, QString(u'\\') + special);
    return value;
}

QString cssColour(const QColor &colour)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

} // namespace

TextBoxAccessible::TextBoxAccessible(QWidget *area)
    : QAccessibleWidget(area, QAccessible::EditableText)
{}

void TextBoxAccessible::attach(TextBox &area)
{
    static const bool installed = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    Q_UNUSED(installed);

    // Nothing is built for the events while no assistive technology listens.
    QObject::connect(&area, &TextBox::textReplaced, &area,
                     [&area](qsizetype position, const QString &removed, const QString &added) {
                         if (QAccessible::isActive())
                             tellReplacement(area, position, removed, added);
                     });
    QObject::connect(&area, &TextBox::caretMoved, &area, [&area](qsizetype position) {
        if (!QAccessible::isActive())
            return;
        QAccessibleTextCursorEvent event(&area, int(position));
        QAccessible::updateAccessibility(&event);
    });
    QObject::connect(&area, &TextBox::selectionChanged, &area, [&area] {
        if (QAccessible::isActive())
            tellSelection(area);
    });
}

TextBox &TextBoxAccessible::textBox() const
{
    return static_cast<TextBox &>(*widget());
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
    switch (type) {
    case QAccessible::TextInterface:
        return static_cast<QAccessibleTextInterface *>(this);
    case QAccessible::EditableTextInterface:
        return static_cast<QAccessibleEditableTextInterface *>(this);
    default:
        return QAccessibleWidget::interface_cast(type);
    }
}

qsizetype TextBoxAccessible::clamped(int offset) const
{
    return std::clamp<qsizetype>(offset, 0, textBox().buffer().size());
}

// ---- Reading

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    const TextBuffer &buffer = textBox().buffer();
    if (endOffset < 0)
        endOffset = int(buffer.size());
    const qsizetype from = clamped(std::min(startOffset, endOffset));
    const qsizetype to = clamped(std::max(startOffset, endOffset));
    return buffer.mid(from, to - from);
}

int TextBoxAccessible::characterCount() const
{
    return int(textBox().buffer().size());
}

int TextBoxAccessible::cursorPosition() const
{
    return int(textBox().caretPosition());
}

void TextBoxAccessible::setCursorPosition(int position)
{
    TextBox &box = textBox();
    box.setSelection(clamped(position), clamped(position));
    box.ensureCaretVisible();
}

// ---- The selection: the area has one at most

int TextBoxAccessible::selectionCount() const
{
    return textBox().hasSelection() ? 1 : 0;
}

void TextBoxAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    const TextBox &box = textBox();
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box.hasSelection())
        return;
    *startOffset = int(box.selectionStart());
    *endOffset = int(box.selectionEnd());
}

void TextBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextBoxAccessible::removeSelection(int selectionIndex)
{
    TextBox &box = textBox();
    if (selectionIndex == 0)
        box.setSelection(box.caretPosition(), box.caretPosition());
}

void TextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    TextBox &box = textBox();
    box.setSelection(clamped(startOffset), clamped(endOffset));
    box.ensureCaretVisible();
}

// ---- Where characters are

QRect TextBoxAccessible::characterRect(int offset) const
{
    const TextBox &box = textBox();
    if (offset < 0 || offset > box.buffer().size())
        return QRect();
    const QPointF origin = box.viewport()->mapToGlobal(QPointF(0, 0));
    return box.characterRect(offset).translated(origin).toAlignedRect();
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    const TextBox &box = textBox();
    const QPointF at = box.viewport()->mapFromGlobal(QPointF(point));
    if (!QRectF(box.viewport()->rect()).contains(at))
        return -1;
    // The caret position nearest the point starts either the character under it or the next.
    qsizetype position = box.positionAt(at);
    if (position > 0 && at.x() < box.characterRect(position).left())
        --position;
    if (position > 0 && box.buffer().at(position).isLowSurrogate()
        && box.buffer().at(position - 1).isHighSurrogate())
        --position;
    return box.characterRect(position).contains(at) ? int(position) : -1;
}

void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    TextBox &box = textBox();
    const TextBuffer &buffer = box.buffer();
    const qsizetype from = clamped(std::min(startIndex, endIndex));
    const qsizetype to = clamped(std::max(startIndex, endIndex));

    // The vertical scroll bar counts lines; the first line of the range wins over the last.
    QScrollBar *vertical = box.verticalScrollBar();
    const qsizetype firstLine = buffer.lineAt(from);
    const qsizetype lastLine = buffer.lineAt(to);
    const qsizetype shownLines = std::max(1, vertical->pageStep());
    if (firstLine < vertical->value())
        vertical->setValue(int(firstLine));
    else if (lastLine >= vertical->value() + shownLines)
        vertical->setValue(int(std::min(firstLine, lastLine - shownLines + 1)));

    const QRectF first = box.characterRect(from);
    const QRectF last = lastLine == firstLine ? box.characterRect(to) : first;
    scrollHorizontallyTo(from, QRectF(first.topLeft(), last.bottomLeft()));
}

// Brings the range, which starts at position, into view: its left edge, and its right one too
// where both fit.
void TextBoxAccessible::scrollHorizontallyTo(qsizetype position, const QRectF &range)
{
    TextBox &box = textBox();
    const qreal width = box.viewport()->width();
    qreal shift = 0;
    if (range.left() < 0)
        shift = range.left() - ScrollMargin;
    else if (range.right() > width)
        shift = std::min(range.right() - width + ScrollMargin, range.left() - ScrollMargin);
    if (shift == 0)
        return;
    // A step of the scroll bar is a pixel, unless a line is too wide for an int of pixels; the
    // area does not say, so the first step tells.
    QScrollBar *horizontal = box.horizontalScrollBar();
    const int before = horizontal->value();
    horizontal->setValue(before + int(std::round(shift)));
    const int steps = horizontal->value() - before;
    if (steps == 0)
        return;
    const qreal pixelsPerStep = (range.left() - box.characterRect(position).left()) / steps;
    if (pixelsPerStep > 1.5)
        horizontal->setValue(before + int(std::round(shift / pixelsPerStep)));
}

// The whole text has one look, so the attributes hold for all of it.
QString TextBoxAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    const TextBox &box = textBox();
    const qsizetype size = box.buffer().size();
    if (offset < 0 || offset > size) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    *startOffset = 0;
    *endOffset = int(size);

    const QFont font = box.font();
    const QPalette::ColorGroup group = box.isEnabled() ? QPalette::Active : QPalette::Disabled;
    QMap<QString, QString> attributes;
    const QString family = font.families().value(0, font.family());
    if (!family.isEmpty())
        attributes.insert(QStringLiteral("font-family"), u'"' + escapedAttribute(family) + u'"');
    if (font.pointSizeF() > 0)
        attributes.insert(QStringLiteral("font-size"),
                          QString::number(font.pointSizeF()) + QStringLiteral("pt"));
    attributes.insert(QStringLiteral("font-weight"), font.weight() > QFont::Normal
                                                         ? QStringLiteral("bold")
                                                         : QStringLiteral("normal"));
    attributes.insert(QStringLiteral("font-style"),
                      font.style() == QFont::StyleItalic    ? QStringLiteral("italic")
                      : font.style() == QFont::StyleOblique ? QStringLiteral("oblique")
                                                            : QStringLiteral("normal"));
    attributes.insert(QStringLiteral("text-line-through-type"),
                      font.strikeOut() ? QStringLiteral("single") : QStringLiteral("none"));
    if (font.underline()) {
        attributes.insert(QStringLiteral("text-underline-style"), QStringLiteral("solid"));
        attributes.insert(QStringLiteral("text-underline-type"), QStringLiteral("single"));
    }
    attributes.insert(QStringLiteral("text-position"), QStringLiteral("baseline"));
    attributes.insert(QStringLiteral("text-align"), QStringLiteral("left"));
    attributes.insert(QStringLiteral("color"),
                      cssColour(box.palette().color(group, QPalette::Text)));
    attributes.insert(QStringLiteral("background-color"),
                      cssColour(box.palette().color(group, QPalette::Base)));

    QString described;
    for (auto attribute = attributes.cbegin(); attribute != attributes.cend(); ++attribute)
        described += attribute.key() + u':' + attribute.value() + u';';
    return described;
}

// ---- Editing, through the area's one gate, as the user would

void TextBoxAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void TextBoxAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void TextBoxAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    TextBox &box = textBox();
    if (!box.isEnabled())
        return;
    const TextBuffer &buffer = box.buffer();
    qsizetype from = clamped(std::min(startOffset, endOffset));
    qsizetype to = clamped(std::max(startOffset, endOffset));
    // A CR LF goes or stays whole.
    const auto insidePair = [&buffer](qsizetype position) {
        return position > 0 && buffer.at(position - 1) == u'\r' && buffer.at(position) == u'\n';
    };
    if (insidePair(from))
        --from;
    if (insidePair(to))
        ++to;
    const qsizetype anchor = box.anchorPosition();
    const qsizetype caret = box.caretPosition();
    box.setSelection(from, to);
    try {
        // Line ends come in as from a paste: every one a CR LF.
        box.SetSelText(LineEnds::toCrLf(text));
    } catch (const RuntimeFailure &) {
        // Too long for the area: refused whole, as a paste is; the user's selection comes back.
        box.setSelection(anchor, caret);
    }
}

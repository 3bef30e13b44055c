// SPDX-License-Identifier: GPL-3.0-or-later
// What other programs and the user's right button bring to the text area: drags dropped on it,
// and the context menu.
#include "textarea/TextBox.h"

#include "common/RuntimeFailure.h"
#include "textarea/ClipboardText.h"
#include "textarea/LineEnds.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>

namespace {

// What becomes of drops, for tests to wait on: QT_LOGGING_RULES="notatki.drop.debug=true".
Q_LOGGING_CATEGORY(dropLog, "notatki.drop", QtWarningMsg)

} // namespace

// ---- Dragging and dropping

void TextBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (!isEnabled() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TextBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (!isEnabled() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    m_dropCaret = positionAt(event->position());
    viewport()->update();
    event->acceptProposedAction();
}

void TextBox::dragLeaveEvent(QDragLeaveEvent *)
{
    m_dropCaret.reset();
    viewport()->update();
}

void TextBox::dropEvent(QDropEvent *event)
{
    m_dropCaret.reset();
    if (!isEnabled() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    const qsizetype position = positionAt(event->position());
    const bool fromHere = event->source() == this;
    if (fromHere && event->dropAction() == Qt::MoveAction) {
        // A move within the text is one edit, which one Undo takes back.
        m_droppedOnItself = true;
        event->acceptProposedAction();
        const qsizetype from = selectionStart();
        const qsizetype to = selectionEnd();
        if (position >= from && position <= to)
            return;
        const QString moved = SelText();
        if (position < from)
            replace(position, to, moved + m_buffer.mid(position, from - position),
                    EditHistory::Kind::Insertion);
        else
            replace(from, position, m_buffer.mid(to, position - to) + moved,
                    EditHistory::Kind::Insertion);
        const qsizetype movedEnd = position < from ? position + moved.size() : position;
        setSelection(movedEnd, movedEnd);
        ensureCaretVisible();
        return;
    }
    // A drop that does not fit is not taken, so that a source moving its text keeps it. A text
    // too long by itself is not converted at all, and another program's is read in bounded
    // pieces, never whole past the limit. The source hears of a refusal as soon as this handler
    // returns; the message comes after, so that the source is not kept waiting while it is read.
    const auto refuseDrop = [this, event](const RuntimeFailure &failure) {
        event->ignore();
        qCDebug(dropLog, "refused a drop: %s", qUtf8Printable(failure.description()));
        QMetaObject::invokeMethod(
            this, [this, failure] { emit refused(failure); }, Qt::QueuedConnection);
    };
    ClipboardText::DroppedText dropped;
    try {
        dropped = fromHere || !m_clipboard
                      ? ClipboardText::DroppedText::of(event->mimeData()->text(), LargestText)
                      : m_clipboard->droppedText(*event->mimeData(), LargestText);
    } catch (const RuntimeFailure &failure) {
        refuseDrop(failure);
        return;
    }
    if (!admits(0, dropped.length)) {
        // A text past the limit is not counted to its end, nor its line ends made CR LF.
        refuseDrop(tooLarge(0, dropped.length,
                            dropped.length > LargestText ? Count::AtLeast : Count::Exact));
        return;
    }
    event->acceptProposedAction();
    setSelection(position, position);
    replaceByUser(position, position, dropped.text, EditHistory::Kind::Insertion);
    qCDebug(dropLog, "took a drop of %lld characters", qlonglong(dropped.length));
}

// ---- The context menu

QMenu *TextBox::createStandardContextMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("qt_edit_menu"));
    const auto add
        = [this, menu](const char *name, const char *objectName, QKeySequence::StandardKey key,
                       bool enabled, void (TextBox::*step)()) {
              // The words of QPlainTextEdit's own menu, which Qt's translations already hold.
              QString text = QCoreApplication::translate("QWidgetTextControl", name);
              const QKeySequence shortcut(key);
              if (!shortcut.isEmpty())
                  text += u'\t' + shortcut.toString(QKeySequence::NativeText);
              QAction *action = menu->addAction(text, this, step);
              action->setObjectName(QString::fromLatin1(objectName));
              action->setEnabled(enabled);
          };
    // Out of the user's reach, the area is read-only, and the menu only copies and selects.
    const bool editable = isEnabled();
    if (editable) {
        add("&Undo", "edit-undo", QKeySequence::Undo, canUndo(), &TextBox::undo);
        add("&Redo", "edit-redo", QKeySequence::Redo, canRedo(), &TextBox::redo);
        menu->addSeparator();
        add("Cu&t", "edit-cut", QKeySequence::Cut, hasSelection(), &TextBox::cutSelection);
    }
    add("&Copy", "edit-copy", QKeySequence::Copy, hasSelection(), &TextBox::copySelection);
    if (editable) {
        const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
        add("&Paste", "edit-paste", QKeySequence::Paste, clipboard && clipboard->hasText(),
            &TextBox::pasteClipboard);
        add("Delete", "edit-delete", QKeySequence::UnknownKey, hasSelection(),
            &TextBox::deleteSelection);
    }
    menu->addSeparator();
    add("Select All", "select-all", QKeySequence::SelectAll, !m_buffer.isEmpty(),
        &TextBox::selectAll);
    return menu;
}

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    menu->exec(event->globalPos());
}

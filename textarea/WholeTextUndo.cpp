// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/WholeTextUndo.h"

#include "textarea/DocumentText.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// glibc serves blocks of up to 32 MB from its heap once a large block has been freed, and keeps
// what is freed there for later: after a few large texts come and go, the program would hold on
// to hundreds of megabytes it no longer uses.
void giveFreedMemoryBack()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

WholeTextUndo::WholeTextUndo(QPlainTextEdit &area)
    : m_area(area)
{
    // A new edit after a whole text was undone makes that text unreachable by Redo.
    QObject::connect(area.document(), &QTextDocument::undoCommandAdded, &area, [this] {
        if (m_step == Step::Redo)
            forget();
    });
}

void WholeTextUndo::replace(const QString &text)
{
    m_otherText = DocumentText(*m_area.document()).read();
    m_step = Step::Undo;
    replaceText(text);
    giveFreedMemoryBack();
}

void WholeTextUndo::forget()
{
    m_step = Step::None;
    m_otherText.clear();
}

void WholeTextUndo::undo()
{
    if (m_step == Step::Undo)
        swap(Step::Redo);
}

void WholeTextUndo::redo()
{
    if (m_step == Step::Redo)
        swap(Step::Undo);
}

void WholeTextUndo::swap(Step next)
{
    const QString shown = DocumentText(*m_area.document()).read();
    replaceText(m_otherText);
    m_otherText = shown;
    m_step = next;
    giveFreedMemoryBack();
    m_area.setTextCursor(QTextCursor(m_area.document()));
}

// Emptying the document gives back the room of every text it ever held, and restarts the
// toolkit's bookkeeping of the widest line. Without that, a large insertion can move the widest
// line's mark onto the empty last line, and the layout, finding it narrower, measures every line
// again, building a layout object for each (66 MB for 250,000 lines).
void WholeTextUndo::replaceText(const QString &text)
{
    QTextDocument &document = *m_area.document();
    document.clear();
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    DocumentText::insert(cursor, text);
    document.setUndoRedoEnabled(true);
}

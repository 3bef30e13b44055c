// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPlainTextEdit;

// Undo and Redo of the latest replacement of a text area's whole text (reading a file, pasting
// over a large selection), apart from the document's own undo steps. Those would hold a step per
// line and keep every earlier text, removed or not, for as long as the document lives, so that
// reading a 10 MiB file again and again grew by 50 MB each time. Here one earlier text is kept,
// and Undo brings it back once every later edit is undone; an edit after that Undo drops its
// Redo.
class WholeTextUndo
{
public:
    explicit WholeTextUndo(QPlainTextEdit &area);

    // Replaces the whole text, keeping the one it replaces.
    void replace(const QString &text);
    // Lets go of the kept text, so that the current one cannot be undone.
    void forget();

    bool canUndo() const { return m_step == Step::Undo; }
    bool canRedo() const { return m_step == Step::Redo; }
    // Each swaps the kept text in, with the caret at its start, when it can; else nothing.
    void undo();
    void redo();

private:
    enum class Step { None, Undo, Redo };

    void swap(Step next);
    void replaceText(const QString &text);

    QPlainTextEdit &m_area;
    // The text on the other side of the latest replacement, and which way it lies.
    QString m_otherText;
    Step m_step = Step::None;
};

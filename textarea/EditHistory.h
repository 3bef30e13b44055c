// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <deque>
#include <functional>

// The undo and redo steps of a text area, in bounded memory.
//
// Each step holds only the text that is not in the area: what an edit removed until it is
// undone, and what it inserted once it is. Typing at the end of the latest typing, and taking
// characters other than line ends away one by one with Backspace or Delete, grow the latest
// step instead of adding one, as QPlainTextEdit did. Replacing the whole text, or an edit of a
// megabyte or more, starts the history afresh with that one step, so that at most one earlier whole
// text is ever kept; and the other steps together keep a bounded number of characters, dropping the
// oldest first.
class EditHistory
{
public:
    enum class Kind {
        // A character typed or committed by an input method.
        Typing,
        // Text written as a whole: a paste, a drop, the program's SetSelText.
        Insertion,
        LineBreak,
        Backspace,
        Delete,
        // A selection or a word taken away.
        Removal,
        WholeText,
    };

    // Replace length characters from position with text; gives the characters it replaced.
    using Replace
        = std::function<QString(qsizetype position, qsizetype length, const QString &text)>;

    // An edit was made: removed was at position and insertedLength characters are there now.
    void record(qsizetype position, const QString &removed, qsizetype insertedLength, Kind kind);
    void clear();

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    // Each takes back (or makes again) one step through replace, and gives the caret position
    // after it: the end of the text brought back (the start of a whole text). -1 when there is
    // no step.
    qsizetype undo(const Replace &replace);
    qsizetype redo(const Replace &replace);

    // Edits this large, in characters removed or inserted, start the history afresh.
    static constexpr qsizetype LargeEdit = qsizetype(1) << 20;
    // The characters all other steps may keep together.
    static constexpr qsizetype Budget = qsizetype(8) << 20;

private:
    struct Step
    {
        qsizetype position;
        // The length of the step's text that is in the area now.
        qsizetype presentLength;
        // The step's text that is not.
        QString absentText;
        Kind last;
    };

    bool mergeInto(Step &latest, qsizetype position, const QString &removed,
                   qsizetype insertedLength, Kind kind) const;
    void keepWithinBudget();
    static qsizetype swap(Step &step, const Replace &replace);

    std::deque<Step> m_steps;
    // The steps before this index are done; those from it on are undone.
    std::size_t m_done = 0;
    qsizetype m_keptCharacters = 0;
};

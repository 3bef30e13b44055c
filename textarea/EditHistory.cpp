// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/EditHistory.h"

#include "textarea/LineEnds.h"

#include <algorithm>

namespace {

// Characters taken away one by one with Backspace or Delete, which later ones may join.
bool isRemovalByCharacters(EditHistory::Kind kind)
{
    return kind == EditHistory::Kind::Backspace || kind == EditHistory::Kind::Delete;
}

bool hasLineEnd(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), LineEnds::isLineEndCharacter);
}

bool typingContinues(EditHistory::Kind kind)
{
    return kind == EditHistory::Kind::Typing || kind == EditHistory::Kind::Insertion;
}

} // namespace

void EditHistory::clear()
{
    m_steps.clear();
    m_done = 0;
    m_keptCharacters = 0;
}

// The rules of QTextDocument: a typed character joins the latest step when it follows that
// step's inserted text, and a character removed by Backspace or Delete joins a step of
// characters removed so, right next to it. Moving the caret in between does not matter.
bool EditHistory::mergeInto(Step &latest, qsizetype position, const QString &removed,
                            qsizetype insertedLength, Kind kind) const
{
    if (latest.last == Kind::WholeText)
        return false;
    if (kind == Kind::Typing && removed.isEmpty() && typingContinues(latest.last)
        && latest.position + latest.presentLength == position) {
        latest.presentLength += insertedLength;
        latest.last = kind;
        return true;
    }
    // A selection or a word taken away, and a line end, stay steps of their own.
    if (!isRemovalByCharacters(latest.last) || latest.presentLength != 0 || insertedLength != 0
        || hasLineEnd(removed) || hasLineEnd(latest.absentText))
        return false;
    if (kind == Kind::Backspace && position + removed.size() == latest.position) {
        latest.absentText.prepend(removed);
        latest.position = position;
        latest.last = kind;
        return true;
    }
    if (kind == Kind::Delete && position == latest.position) {
        latest.absentText.append(removed);
        latest.last = kind;
        return true;
    }
    return false;
}

void EditHistory::record(qsizetype position, const QString &removed, qsizetype insertedLength,
                         Kind kind)
{
    while (m_steps.size() > m_done) {
        if (m_steps.back().last != Kind::WholeText)
            m_keptCharacters -= m_steps.back().absentText.size();
        m_steps.pop_back();
    }
    if (kind == Kind::WholeText || std::max(removed.size(), insertedLength) >= LargeEdit) {
        clear();
        m_steps.push_back({position, insertedLength, removed, Kind::WholeText});
        m_done = 1;
        return;
    }
    if (!m_steps.empty() && mergeInto(m_steps.back(), position, removed, insertedLength, kind)) {
        m_keptCharacters += removed.size();
    } else {
        m_steps.push_back({position, insertedLength, removed, kind});
        m_keptCharacters += removed.size();
        m_done = m_steps.size();
    }
    keepWithinBudget();
}

void EditHistory::keepWithinBudget()
{
    while (m_keptCharacters > Budget && m_steps.size() > 1) {
        if (m_steps.front().last != Kind::WholeText)
            m_keptCharacters -= m_steps.front().absentText.size();
        m_steps.pop_front();
        --m_done;
    }
}

qsizetype EditHistory::swap(Step &step, const Replace &replace)
{
    const qsizetype broughtBack = step.absentText.size();
    step.absentText = replace(step.position, step.presentLength, step.absentText);
    step.presentLength = broughtBack;
    // A whole text brought back is shown from its start, as when it was read.
    return step.last == Kind::WholeText ? step.position : step.position + broughtBack;
}

qsizetype EditHistory::undo(const Replace &replace)
{
    if (!canUndo())
        return -1;
    Step &step = m_steps[--m_done];
    const qsizetype before = step.absentText.size();
    const qsizetype caret = swap(step, replace);
    if (step.last != Kind::WholeText)
        m_keptCharacters += step.absentText.size() - before;
    return caret;
}

qsizetype EditHistory::redo(const Replace &replace)
{
    if (!canRedo())
        return -1;
    Step &step = m_steps[m_done++];
    const qsizetype before = step.absentText.size();
    const qsizetype caret = swap(step, replace);
    if (step.last != Kind::WholeText)
        m_keptCharacters += step.absentText.size() - before;
    return caret;
}

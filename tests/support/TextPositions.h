// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Selecting in a text area and reading its caret as the operations count positions: in 16-bit
// characters, a line break CR LF counting 2.

#include "textarea/TextBox.h"

// Gives the area the text, with no earlier text for Undo to return to, and selects length
// characters from start.
inline void selectIn(TextBox &area, const QString &text, int start, int length)
{
    area.setInitialText(text);
    area.SetSelStart(start);
    area.SetSelLength(length);
}

inline int caretOf(const TextBox &area)
{
    return int(area.caretPosition());
}

// A point inside the left part of the character at position, in the viewport's coordinates:
// a click there puts the caret before the character.
inline QPoint leftPartOf(const TextBox &box, qsizetype position)
{
    const QRectF character = box.characterRect(position);
    return QPointF(character.left() + 1, character.center().y()).toPoint();
}

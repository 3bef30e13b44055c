// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/FontObject.h"
#include "textarea/OleColor.h"

#include <QString>

// What the operations rely on of the text area. Positions and lengths count 16-bit characters,
// and a line break is the pair CR LF, which counts 2.
class TextArea
{
public:
    // The longest text the area is given from a file or the clipboard, in characters. Measured
    // with bench/notes on the offscreen platform: a 64 MiB text (1.6 million lines) already takes
    // about 15 s and 1.5 GiB to show, 128 MiB takes 3 GiB; beyond this the window would seem
    // hung and could run out of memory.
    static constexpr qsizetype LargestText = qsizetype(64) << 20;

    virtual ~TextArea() = default;

    // The whole text, exactly as it was written or typed.
    virtual QString Text() const = 0;
    // Replaces the whole text; the caret goes to the start with nothing selected.
    virtual void SetText(const QString &text) = 0;

    // Puts the caret before the character at that index, with nothing selected.
    virtual void SetSelStart(int start) = 0;
    // Selects that many characters from the caret.
    virtual void SetSelLength(int length) = 0;
    // The selected characters, "" when nothing is selected.
    virtual QString SelText() const = 0;
    // Replaces the selection, or inserts at the caret; the caret ends after the new text.
    virtual void SetSelText(const QString &text) = 0;

    // False takes the area out of the user's reach; the program's writes still work.
    virtual void SetEnabled(bool enabled) = 0;

    virtual FontObject &Font() = 0;
    // The same attribute as Font().SetStrikethrough().
    virtual void SetFontStrikethru(bool on) = 0;
    virtual void SetForeColor(OleColor color) = 0;

    // Gives the area the keyboard focus; throws RuntimeFailure when the area is disabled.
    virtual void SetFocus() = 0;
};

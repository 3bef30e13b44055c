// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The system clipboard as the text area's own keys and menu use it: plain text whose line
// breaks are CR LF inside the program. The window hands the area the clipboard it uses for
// "Kopiuj" and "Wklej", so that both ways read and write the same text, with the same bounds,
// while the area stays below the clipboard's machinery.
class ClipboardText
{
public:
    virtual ~ClipboardText() = default;

    virtual void setText(const QString &text) = 0;
    // The clipboard's text, "" when it holds none. Throws RuntimeFailure when the text cannot be
    // had, or is longer than characterLimit.
    virtual QString text(qsizetype characterLimit) const = 0;
    // The same for the primary selection, what a middle click pastes.
    virtual QString primaryText(qsizetype characterLimit) const = 0;
};

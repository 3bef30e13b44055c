// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QMimeData;

// The system clipboard as the text area's own keys and menu use it: plain text whose line
// breaks are CR LF inside the program. The window hands the area the clipboard it uses for
// "Kopiuj" and "Wklej", so that both ways read and write the same text, with the same bounds,
// while the area stays below the clipboard's machinery.
class ClipboardText
{
public:
    // What a drop from another program brings: its text with CR LF line ends, or, when it has
    // more than the limit, no text and how many characters it has (at least).
    struct DroppedText
    {
        // Text already at hand: a text over the limit is not converted at all.
        static DroppedText of(const QString &offered, qsizetype characterLimit);

        QString text;
        qsizetype length = 0;
    };

    virtual ~ClipboardText() = default;

    virtual void setText(const QString &text) = 0;
    // The clipboard's text, "" when it holds none. Throws RuntimeFailure when the text cannot be
    // had, or is longer than characterLimit.
    virtual QString text(qsizetype characterLimit) const = 0;
    // The same for the primary selection, what a middle click pastes.
    virtual QString primaryText(qsizetype characterLimit) const = 0;
    // The text of a drop from another program, read in bounded pieces as a paste is, never whole
    // past characterLimit. Throws RuntimeFailure when the source does not hand it over in time.
    virtual DroppedText droppedText(const QMimeData &offered, qsizetype characterLimit) const = 0;
};

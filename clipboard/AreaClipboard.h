// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textarea/ClipboardText.h"

// The system clipboard for the text area's keys and menu: the same text, line ends and bounds
// as the "Kopiuj" and "Wklej" buttons.
class AreaClipboard : public ClipboardText
{
public:
    AreaClipboard();

    void setText(const QString &text) override;
    QString text(qsizetype characterLimit) const override;
    QString primaryText(qsizetype characterLimit) const override;
    DroppedText droppedText(const QMimeData &offered, qsizetype characterLimit) const override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/AreaClipboard.h"

#include "clipboard/SystemClipboard.h"

void AreaClipboard::setText(const QString &text)
{
    Clipboard().SetText(text);
}

QString AreaClipboard::text(qsizetype characterLimit) const
{
    return Clipboard().GetText(characterLimit);
}

QString AreaClipboard::primaryText(qsizetype characterLimit) const
{
    return Clipboard().GetText(characterLimit, QClipboard::Selection);
}

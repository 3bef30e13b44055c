// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/AreaClipboard.h"

#include "clipboard/SystemClipboard.h"
#include "clipboard/X11DropTime.h"

// A drop is read at its own time, which only the messages before it tell.
AreaClipboard::AreaClipboard()
{
    X11DropTime::watch();
}

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

ClipboardText::DroppedText AreaClipboard::droppedText(const QMimeData &offered,
                                                      qsizetype characterLimit) const
{
    return Clipboard().GetDroppedText(offered, characterLimit);
}

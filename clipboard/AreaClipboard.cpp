// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/AreaClipboard.h"

#include "clipboard/SystemClipboard.h"
#include "clipboard/WaylandSelection.h"
#include "clipboard/X11DropTime.h"

// A drop on X11 is read at its own time, which only the messages before it tell. On Wayland the
// program's own devices must be there before the keyboard focus first comes, which is when a
// compositor tells them of the selection.
AreaClipboard::AreaClipboard()
{
    X11DropTime::watch();
    WaylandSelection::watch();
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

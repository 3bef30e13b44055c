// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/Selection.h"

#include "clipboard/SystemClipboard.h"
#include "common/BusyCursor.h"
#include "textarea/TextArea.h"

namespace Selection {

void SelectAllText(TextArea &Text1)
{
    Text1.SetSelStart(0);
    const int length = int(Text1.Text().size());
    Text1.SetSelLength(length);
    Text1.SetFocus();
}

void CopySelection(TextArea &Text1)
{
    Clipboard().Clear();
    const QString selected = Text1.SelText();
    Clipboard().SetText(selected);
}

void PasteClipboard(TextArea &Text1)
{
    const BusyCursor busy;
    const QString pasted = Clipboard().GetText(TextArea::LargestText);
    Text1.SetSelText(pasted);
}

} // namespace Selection

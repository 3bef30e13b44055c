// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TextArea;

// Whole-text selection and exchange of the selection with the system clipboard. Each operation
// is a fixed sequence of steps; a failing step ends it and what came before stays done.
namespace Selection {

// Selects the whole text and puts the keyboard focus in the area, so that typing replaces it.
// On a disabled area the selection is made and then the focus step fails.
void SelectAllText(TextArea &Text1);

// Puts the selected text on the clipboard. With nothing selected the clipboard is left empty.
void CopySelection(TextArea &Text1);

// Writes the clipboard's text over the selection, or inserts it at the caret. A clipboard
// without text gives "", which deletes the selection. A clipboard whose owner does not answer in
// time, and a text longer than the area takes, change nothing and fail with a message.
void PasteClipboard(TextArea &Text1);

} // namespace Selection

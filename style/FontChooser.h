// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class CommonDialog;
class TextArea;

namespace FontChooser {

// Lets the user pick a font in the modal dialog and applies the whole choice to the text area:
// face, bold, size and italic as chosen, underline and strikethrough off and the text black.
// Cancelling, or any failure after the dialog was asked to report a cancel, ends the choice
// quietly; what was already applied stays.
void ChooseFont(CommonDialog &CommonDialog1, TextArea &Text1);

} // namespace FontChooser

// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/FontChooser.h"

#include "common/RuntimeFailure.h"
#include "style/CommonDialog.h"
#include "textarea/TextArea.h"

namespace FontChooser {

void ChooseFont(CommonDialog &CommonDialog1, TextArea &Text1)
{
    CommonDialog1.SetCancelError(true);
    try {
        CommonDialog1.SetFlags(CommonDialog::ScreenAndPrinterFonts);
        CommonDialog1.ShowFont();

        FontObject &font = Text1.Font();
        font.SetName(CommonDialog1.FontName());
        font.SetBold(CommonDialog1.FontBold());
        font.SetSize(CommonDialog1.FontSize());
        font.SetItalic(CommonDialog1.FontItalic());
        font.SetUnderline(CommonDialog1.FontUnderline());
        Text1.SetFontStrikethru(CommonDialog1.FontStrikethru());
        Text1.SetForeColor(CommonDialog1.Color());
    } catch (const RuntimeFailure &) {
        // A cancel is the user's answer, not a fault, and any other failure here leaves the text
        // readable as it is: neither is worth a message.
    }
}

} // namespace FontChooser

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "style/FontPicker.h"
#include "textarea/OleColor.h"

#include <QCoreApplication>

#include <memory>

// The font dialog component that the main window owns for its whole life, so that the dialog
// keeps the values of its last use.
//
// The dialog offers face, size, bold and italic only. Underline, strikethrough and colour are
// never offered, so they keep their first values: off, off and black.
class CommonDialog
{
    Q_DECLARE_TR_FUNCTIONS(CommonDialog)

public:
    // Flags asking for the screen's fonts (bit 1) and the printer's (bit 2). The dialog lists
    // every family the system has as soon as either bit is set, and refuses to show without.
    static constexpr qint32 ScreenAndPrinterFonts = 0x3;

    CommonDialog();
    ~CommonDialog();
    CommonDialog(const CommonDialog &) = delete;
    CommonDialog &operator=(const CommonDialog &) = delete;

    // True makes a cancelled dialog throw RuntimeFailure::CancelSelected.
    void SetCancelError(bool on);
    void SetFlags(qint32 flags);

    // Shows the modal font dialog over the active window, opening on the current values, and keeps
    // what the user confirms. Throws RuntimeFailure when the flags ask for no fonts, when the
    // system has none, and on cancel when CancelError is set.
    void ShowFont();

    QString FontName() const;
    bool FontBold() const;
    float FontSize() const;
    bool FontItalic() const;
    bool FontUnderline() const;
    bool FontStrikethru() const;
    OleColor Color() const;

    // Puts another picker in place of the real dialog (tests script the user's answer).
    void setFontPicker(std::unique_ptr<FontPicker> picker);

private:
    std::unique_ptr<FontPicker> m_picker;
    bool m_cancelError = false;
    qint32 m_flags = 0;
    // No face until the user picks one, so the first dialog preselects none.
    FontChoice m_font;
    const bool m_underline = false;
    const bool m_strikethru = false;
    const OleColor m_color = 0;
};

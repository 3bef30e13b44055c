// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/CommonDialog.h"

#include "common/RuntimeFailure.h"
#include "style/FontDialog.h"

#include <QApplication>

CommonDialog::CommonDialog()
    : m_picker(std::make_unique<FontDialogPicker>())
{}

CommonDialog::~CommonDialog() = default;

void CommonDialog::SetCancelError(bool on)
{
    m_cancelError = on;
}

void CommonDialog::SetFlags(qint32 flags)
{
    m_flags = flags;
}

void CommonDialog::ShowFont()
{
    if ((m_flags & ScreenAndPrinterFonts) == 0) {
        throw RuntimeFailure(RuntimeFailure::NoFontsExist,
                             tr("Nie wskazano, które czcionki pokazać."));
    }
    const std::optional<FontChoice> chosen = m_picker->pick(m_font, QApplication::activeWindow());
    if (chosen) {
        m_font = *chosen;
        return;
    }
    if (m_cancelError) {
        throw RuntimeFailure(RuntimeFailure::CancelSelected, tr("Wybrano „Anuluj”."));
    }
}

QString CommonDialog::FontName() const
{
    return m_font.name;
}

bool CommonDialog::FontBold() const
{
    return m_font.bold;
}

float CommonDialog::FontSize() const
{
    return m_font.size;
}

bool CommonDialog::FontItalic() const
{
    return m_font.italic;
}

bool CommonDialog::FontUnderline() const
{
    return m_underline;
}

bool CommonDialog::FontStrikethru() const
{
    return m_strikethru;
}

OleColor CommonDialog::Color() const
{
    return m_color;
}

void CommonDialog::setFontPicker(std::unique_ptr<FontPicker> picker)
{
    m_picker = std::move(picker);
}

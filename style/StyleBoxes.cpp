// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/StyleBoxes.h"

#include "controls/CheckBox.h"
#include "textarea/TextArea.h"

namespace StyleBoxes {

namespace {

// A grayed box, which only a program could set, counts as on like a checked one.
bool isOn(CheckState value)
{
    return value != CheckState::Unchecked;
}

// Copies the box's state into one attribute of the whole text's font.
void syncFontAttribute(const CheckBox &box, TextArea &Text1, void (FontObject::*setAttribute)(bool))
{
    const CheckState value = box.Value();
    FontObject &font = Text1.Font();
    (font.*setAttribute)(isOn(value));
}

} // namespace

void SyncEditable(const CheckBox &Check1, TextArea &Text1)
{
    const CheckState value = Check1.Value();
    Text1.SetEnabled(isOn(value));
}

void SyncBold(const CheckBox &Check2, TextArea &Text1)
{
    syncFontAttribute(Check2, Text1, &FontObject::SetBold);
}

void SyncItalic(const CheckBox &Check3, TextArea &Text1)
{
    syncFontAttribute(Check3, Text1, &FontObject::SetItalic);
}

void SyncUnderline(const CheckBox &Check4, TextArea &Text1)
{
    syncFontAttribute(Check4, Text1, &FontObject::SetUnderline);
}

void SyncStrikethrough(const CheckBox &Check5, TextArea &Text1)
{
    syncFontAttribute(Check5, Text1, &FontObject::SetStrikethrough);
}

} // namespace StyleBoxes

#include "text/StyleBoxes.h"

#include "platform/CheckBox.h"
#include "platform/TextArea.h"

namespace StyleBoxes {

namespace {

// A grayed box, which only a program could set, counts as on like a checked one.
bool isOn(CheckState value)
{
    return value != CheckState::Unchecked;
}

} // namespace

void SyncEditable(const CheckBox &Check1, TextArea &Text1)
{
    const CheckState value = Check1.Value();
    Text1.SetEnabled(isOn(value));
}

void SyncBold(const CheckBox &Check2, TextArea &Text1)
{
    const CheckState value = Check2.Value();
    FontObject &font = Text1.Font();
    font.SetBold(isOn(value));
}

void SyncItalic(const CheckBox &Check3, TextArea &Text1)
{
    const CheckState value = Check3.Value();
    FontObject &font = Text1.Font();
    font.SetItalic(isOn(value));
}

void SyncUnderline(const CheckBox &Check4, TextArea &Text1)
{
    const CheckState value = Check4.Value();
    FontObject &font = Text1.Font();
    font.SetUnderline(isOn(value));
}

void SyncStrikethrough(const CheckBox &Check5, TextArea &Text1)
{
    const CheckState value = Check5.Value();
    FontObject &font = Text1.Font();
    font.SetStrikethrough(isOn(value));
}

} // namespace StyleBoxes

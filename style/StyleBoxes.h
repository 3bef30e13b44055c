// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class CheckBox;
class TextArea;

// The five check boxes that drive the text area: each click copies the box's new state into one
// attribute of the whole text. Any state other than unchecked is on. The boxes are only read.
namespace StyleBoxes {

void SyncEditable(const CheckBox &Check1, TextArea &Text1);
void SyncBold(const CheckBox &Check2, TextArea &Text1);
void SyncItalic(const CheckBox &Check3, TextArea &Text1);
void SyncUnderline(const CheckBox &Check4, TextArea &Text1);
void SyncStrikethrough(const CheckBox &Check5, TextArea &Text1);

} // namespace StyleBoxes

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Twips.h"
#include "controls/CheckState.h"

#include <QtGlobal>

#include <algorithm>
#include <span>
#include <variant>

class CheckBox;
class CommandButton;
class Form1;
class QGroupBox;
class QRadioButton;
class TextBox;

// The member of Form1 that a control is built into. Its type is the control's kind.
using ControlMember
    = std::variant<TextBox * Form1::*, CheckBox * Form1::*, CommandButton * Form1::*,
                   QGroupBox * Form1::*, QRadioButton * Form1::*>;
using FrameMember = QGroupBox *Form1::*;

// One control of the window's design. Positions are measured from the top-left corner of the
// inside of the container.
struct ControlSpec
{
    ControlMember member;
    const char *name;
    FrameMember container; // null: the window itself
    const char *caption;   // UTF-8, shown unchanged, spaces included; assistive technology gets it
                           // without the spaces around it, which a braille display would show
    Twips left;
    Twips top;
    Twips width;
    Twips height;
    qint16 tabIndex;
    CheckState value = CheckState::Unchecked; // check boxes
    const char *text = nullptr;               // text boxes
    // For a control without a caption, what assistive technology calls it and says of it.
    const char *accessibleName = nullptr;
    const char *accessibleDescription = nullptr;
};

struct WindowSpec
{
    const char *caption;
    Twips clientWidth;
    Twips clientHeight;
    // What assistive technology calls the window and says of it; the caption stays as it is.
    const char *accessibleName;
    const char *accessibleDescription;
};

// Whether every frame comes before the controls it holds, so that it exists when they are put
// in it.
consteval bool framesComeFirst(std::span<const ControlSpec> controls)
{
    for (auto control = controls.begin(); control != controls.end(); ++control) {
        const auto isItsFrame = [control](const ControlSpec &earlier) {
            return std::holds_alternative<FrameMember>(earlier.member)
                   && std::get<FrameMember>(earlier.member) == control->container;
        };
        if (control->container && std::none_of(controls.begin(), control, isItsFrame))
            return false;
    }
    return true;
}

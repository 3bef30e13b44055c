#pragma once

#include "platform/CheckState.h"
#include "platform/Twips.h"

#include <QtGlobal>

enum class ControlKind { TextBox, CheckBox, CommandButton, Frame, OptionButton };

// One control of a window's design. Positions are measured from the top-left corner of the
// inside of the container.
struct ControlSpec
{
    const char *name;
    ControlKind kind;
    const char *container;
    const char *caption; // UTF-8, shown unchanged, spaces included; assistive technology gets it
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

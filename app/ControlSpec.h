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
    const char *caption; // UTF-8, shown unchanged, spaces included
    Twips left;
    Twips top;
    Twips width;
    Twips height;
    qint16 tabIndex;
    CheckState value = CheckState::Unchecked; // check boxes
    const char *text = nullptr;               // text boxes
};

struct WindowSpec
{
    const char *caption;
    Twips clientWidth;
    Twips clientHeight;
};

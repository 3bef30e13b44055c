// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ControlSpec.h"

#include <span>

class QWidget;

// Builds the main window from its design into the members of Form1: caption, fixed client size,
// every control in its container with its caption, rectangle and initial settings, and the tab
// order. A design that would not fit the screen is shrunk in proportion, font included, until it
// does.
class FormBuilder
{
public:
    static void build(Form1 &form, const WindowSpec &window, std::span<const ControlSpec> controls);

private:
    static QWidget *createControl(Form1 &form, const ControlSpec &design);
    static void setTabOrder(std::span<QWidget *const> built, std::span<const ControlSpec> controls);
};

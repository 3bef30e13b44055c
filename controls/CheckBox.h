// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/CheckState.h"

#include <QCheckBox>

class CheckBox : public QCheckBox
{
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

    CheckState Value() const;

    // The state the design gives the box; after that only the user changes it.
    void setInitialValue(CheckState value);
};

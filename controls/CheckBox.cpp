// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/CheckBox.h"

CheckState CheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return CheckState::Unchecked;
    case Qt::PartiallyChecked:
        return CheckState::Grayed;
    case Qt::Checked:
        break;
    }
    return CheckState::Checked;
}

void CheckBox::setInitialValue(CheckState value)
{
    switch (value) {
    case CheckState::Unchecked:
        setCheckState(Qt::Unchecked);
        return;
    case CheckState::Grayed:
        setTristate(true);
        setCheckState(Qt::PartiallyChecked);
        return;
    case CheckState::Checked:
        setCheckState(Qt::Checked);
        return;
    }
}

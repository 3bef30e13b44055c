// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// A check box's state as the run-time reports it. Only the user changes it.
enum class CheckState : qint16 { Unchecked = 0, Checked = 1, Grayed = 2 };

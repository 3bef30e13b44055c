// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// A colour laid out 0x00BBGGRR, red in the low byte; 0 is black.
using OleColor = quint32;

inline QColor toQColor(OleColor color)
{
    return QColor(int(color & 0xff), int((color >> 8) & 0xff), int((color >> 16) & 0xff));
}

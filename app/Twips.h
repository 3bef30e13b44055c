// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtMath>

// The unit of every position and size in the window's design.
using Twips = int;

// The design was drawn at 12 twips per pixel on a standard 96-DPI logical screen; larger
// logical DPI settings scale it up so that the captions keep their room.
constexpr qreal StandardLogicalDpi = 96.0;
constexpr qreal TwipsPerPixel = 12.0;

inline int twipsToPixels(Twips twips, qreal logicalDpi)
{
    return qRound(twips / TwipsPerPixel * logicalDpi / StandardLogicalDpi);
}

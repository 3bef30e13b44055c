// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// Colours of text that stays readable: the contrast between two colours as the web content
// accessibility guidelines measure it, and a colour for text on a given background.
namespace ReadableColor {

// The contrast at which normal-size text counts as readable (1.4.3, level AA).
constexpr qreal MinimumContrast = 4.5;
// The enhanced level (1.4.6, AAA). Aimed at, so that thin strokes, whose edge pixels are drawn
// lighter than the text colour, still read well.
constexpr qreal EnhancedContrast = 7.0;

// From 1 (the same luminance) to 21 (black on white), whichever colour is the lighter.
qreal contrast(const QColor &first, const QColor &second);

// The colour nearest to the given one, moving it away from the background towards black or white
// (whichever contrasts more with it), that reaches the contrast asked for. The colour itself when
// it already does; black or white when nothing reaches it.
QColor on(const QColor &background, const QColor &preferred, qreal wanted = EnhancedContrast);

} // namespace ReadableColor

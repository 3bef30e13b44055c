// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// How far a window's design must shrink to be seen whole on the screen it opens on. A design
// drawn in fixed pixels, scaled up for a high-density screen, can be taller than the screen.
namespace ScreenFit {

// The factor, at most 1, by which the designed client size, with the frame around it, fits the
// available area. One factor for both directions keeps the design's proportions.
qreal scale(const QSize &designedClient, const QMargins &frame, const QSize &available);

// The same for a window about to be shown: the area of its screen that windows may take, less
// room for the window manager's title bar and borders. Those are not known until the window is
// shown, so the style's title bar height and frame width stand in for them.
qreal scale(const QWidget &window, const QSize &designedClient);

// Shrinks the window's font, which its controls take on, by the factor, and further while a
// caption of a button, a check box, an option button or a frame does not fit its control: the
// style draws a check box's indicator and a button's margins at their full size at any scale,
// so the room left for a caption shrinks faster than the design.
void shrinkFont(QWidget &window, qreal factor);

// Whether the control's caption fits between its indicator or margins, at the control's font.
// A control without a caption fits.
bool captionFits(const QWidget &control);

} // namespace ScreenFit

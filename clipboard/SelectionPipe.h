// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clipboard/SelectionText.h"

#include <functional>
#include <limits>
#include <optional>

// Reads the text another program writes into a pipe, as a Wayland selection's owner hands its
// text over, in bounded pieces under the same patience as on X11. The reading stops as soon as
// the text is known to be too large: the owner then gets a closed pipe, which ends its writing
// however much it has left, where reading on would wait for an offer that may never end.
// whileWaiting runs every few tens of milliseconds while nothing arrives.
//
// No more than keptBytes of the text are kept. Gives nothing for a longer text that fits: it was
// counted, not kept, and must be asked for again.
std::optional<SelectionText::Result>
readSelectionPipe(int readEnd, qsizetype characterLimit, SelectionText::Patience patience,
                  const std::function<void()> &whileWaiting,
                  qsizetype keptBytes = std::numeric_limits<qsizetype>::max());

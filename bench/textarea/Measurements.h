// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class EditorWindow;

// One measurement in a process of its own, so that the peak memory is that of the measured work
// alone. Shows the window, does the work and prints its figures (Figures.h). The cases:
//   show          "Czytaj" until painted; peak memory
//   long-line     "Czytaj" until painted; the caret at the end of the text: the idle blinking
//                 caret's share of a core, then `keys` keystrokes each until repainted
//   notes         "Czytaj" until painted, peak memory after it, then "Zapisz"
//   everyday-keys "Czytaj", then `keys` keystrokes in the middle, each until painted as the area
//                 chooses; the idle caret once it has stopped blinking; Ctrl+A, Delete; Ctrl+Z
//   ctrl-v        Ctrl+V of what another program offers on the clipboard
//   middle-click  a middle click pasting what another program offers as the primary selection
namespace Measurements {

// Returns the process's exit status: 2 for an unknown case, 1 when the window does not show.
int measure(const QByteArray &caseName, EditorWindow &editor, int keys);

} // namespace Measurements

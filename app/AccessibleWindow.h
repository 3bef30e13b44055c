// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

// What assistive technology is told about a top-level window. Qt exposes a window that is a
// plain QWidget as a "filler", which a screen reader does not announce when the window gains
// focus; a window exposed here gets the window role (a "frame" on the accessibility bus) and
// its own name and description, while the caption shown in its title bar stays as it is.
namespace AccessibleWindow {

// Call before the window's first control is made: Qt keeps the interface it first hands out
// for a widget, and making a child may already ask for the window's.
void expose(QWidget &window, const QString &name, const QString &description);

} // namespace AccessibleWindow

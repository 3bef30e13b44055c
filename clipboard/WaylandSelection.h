// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clipboard/SelectionText.h"

#include <functional>
#include <memory>
#include <optional>

// Reads the text of a Wayland selection, the clipboard or the primary selection, and of a drag
// dropped on the program's windows, with the bounds X11Selection keeps on X11. The toolkit's own
// clipboard reads an offer whole before anybody can see its size, and gives up on a silent owner
// with no word to the program.
//
// The program keeps data devices of its own for as long as it runs, on the toolkit's connection
// (a compositor shows a selection only to the client it belongs to) and on the queue the
// toolkit dispatches. A compositor tells a device of the selection only as the keyboard focus
// comes in, so a device asked for at the moment of a paste would learn nothing. And it sends a
// client's drags to one of its devices only, here to the program's own: WaylandDragTarget hands
// them to the widgets.
class WaylandSelection
{
public:
    enum class SelectionName { Clipboard, Primary };

    using Result = SelectionText::Result;
    using Patience = SelectionText::Patience;

    // Starts watching the compositor's selections and drags, once, when the toolkit runs on
    // Wayland; elsewhere, and in a program built without Wayland, does nothing.
    static void watch();
    // The watcher, or nullptr when nothing is watched.
    static WaylandSelection *watching();

    ~WaylandSelection();

    // Reads the selection as UTF-8 text. Gives nothing when only the toolkit can read it: when
    // the compositor lacks the selection's protocol or a seat, or has not told the program's
    // device of the current selection.
    std::optional<Result> readText(SelectionName selection, qsizetype characterLimit,
                                   Patience patience, const std::function<void()> &whileWaiting);
    // The text of another program's drag while it is being dropped; nothing at any other time.
    std::optional<Result> readDropped(qsizetype characterLimit, Patience patience,
                                      const std::function<void()> &whileWaiting);

private:
    class Devices;

    explicit WaylandSelection(std::unique_ptr<Devices> devices);

    const std::unique_ptr<Devices> m_devices;
};

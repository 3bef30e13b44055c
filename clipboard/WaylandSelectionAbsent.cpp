// SPDX-License-Identifier: GPL-3.0-or-later
// A program built without Wayland's libraries leaves the clipboard there to the toolkit.
#include "clipboard/WaylandSelection.h"

class WaylandSelection::Devices
{
};

void WaylandSelection::watch()
{}

WaylandSelection *WaylandSelection::watching()
{
    return nullptr;
}

WaylandSelection::~WaylandSelection() = default;

std::optional<WaylandSelection::Result>
WaylandSelection::readText(SelectionName, qsizetype, Patience, const std::function<void()> &)
{
    return std::nullopt;
}

std::optional<WaylandSelection::Result> WaylandSelection::readDropped(qsizetype, Patience,
                                                                      const std::function<void()> &)
{
    return std::nullopt;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clipboard/SelectionText.h"

#include <QByteArray>
#include <QList>

#include <functional>

struct wl_display;

// What the compositor shows of another client's data, a selection's or a drag's: the types it
// may be had in and, for a drag, the actions its source allows.
struct WaylandOffer
{
    QList<QByteArray> types;
    uint32_t sourceActions = 0;

    // The best of the text types, all of them UTF-8, or nullptr when it has none.
    const char *textType() const;
};

// Asks for the offer's text of the given type through a pipe, by receive(type, writeEnd), and
// reads it in bounded pieces.
SelectionText::Result readOfferedText(wl_display *display, const char *type,
                                      const std::function<void(const char *, int)> &receive,
                                      qsizetype characterLimit, SelectionText::Patience patience,
                                      const std::function<void()> &whileWaiting);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clipboard/SelectionText.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

struct xcb_connection_t;

// Reads the text of an X11 selection, the clipboard or the primary selection, from the program
// that holds it, over a connection of its own, with one bound on the whole wait.
//
// The toolkit's own clipboard waits up to 5 s for each format it tries and then reports an owner
// that never answers the same way as an empty clipboard. Here the owner is found first, the
// conversions share one deadline, and "nobody holds the clipboard", "the holder has no text" and
// "the holder does not answer" stay apart. The text comes in pieces (the ICCCM's INCR transfer
// for large texts), kept as bytes and decoded only once the whole text is known to fit. Past the
// limit the rest of the pieces are still taken, and thrown away as they come: an owner left in the
// middle of a transfer waits for it forever and answers nobody else.
class X11Selection
{
public:
    // DragAndDrop is XdndSelection, what a drop from another program brings.
    enum class SelectionName { Clipboard, Primary, DragAndDrop };

    using Outcome = SelectionText::Outcome;
    using Result = SelectionText::Result;
    using Patience = SelectionText::Patience;

    // Connects to the display, or gives nullptr when it cannot be reached.
    static std::unique_ptr<X11Selection> connect(const QByteArray &displayName);
    ~X11Selection();

    X11Selection(const X11Selection &) = delete;
    X11Selection &operator=(const X11Selection &) = delete;

    // Reads the selection as Unicode text (UTF8_STRING), or as Latin-1 (STRING) from an owner
    // that has only that. whileWaiting runs every few tens of milliseconds while nothing arrives.
    // A drop is read at its own time (the XdndDrop message's), by which its source finds the
    // drag it answers for; the clipboards are read at the current time (0).
    Result readText(SelectionName selection, qsizetype characterLimit, Patience patience,
                    const std::function<void()> &whileWaiting, quint32 time = 0);

private:
    class Transfer;

    X11Selection(xcb_connection_t *connection, int screenNumber);

    xcb_connection_t *m_connection;
    int m_screenNumber;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

struct xcb_connection_t;

// Reads the text of the X11 clipboard from the program that holds it, over a connection of its
// own, with one bound on the whole wait.
//
// The toolkit's own clipboard waits up to 5 s for each format it tries and then reports an owner
// that never answers the same way as an empty clipboard. Here the owner is found first, the
// conversions share one deadline, and "nobody holds the clipboard", "the holder has no text" and
// "the holder does not answer" stay apart. The text comes in pieces (the ICCCM's INCR transfer
// for large texts), and the reading stops as soon as it holds more characters than the limit, so
// a huge clipboard costs neither the time nor the memory of taking all of it.
class X11Selection
{
public:
    enum class Outcome { Text, NoOwner, NoText, NoAnswer, TooLarge };

    struct Result
    {
        Outcome outcome;
        QString text;
        // For TooLarge: how many characters had arrived when the reading stopped.
        qsizetype charactersRead = 0;
    };

    struct Patience
    {
        // How long the owner may stay silent, on the first answer and between pieces.
        std::chrono::milliseconds silence;
        // How long the whole transfer may take, however steadily the pieces come.
        std::chrono::milliseconds total;
    };

    // Connects to the display, or gives nullptr when it cannot be reached.
    static std::unique_ptr<X11Selection> connect(const QByteArray &displayName);
    ~X11Selection();

    X11Selection(const X11Selection &) = delete;
    X11Selection &operator=(const X11Selection &) = delete;

    // Reads the clipboard as Unicode text (UTF8_STRING), or as Latin-1 (STRING) from an owner
    // that has only that. whileWaiting runs every few tens of milliseconds while nothing arrives.
    Result readClipboardText(qsizetype characterLimit, Patience patience,
                             const std::function<void()> &whileWaiting);

private:
    class Transfer;

    X11Selection(xcb_connection_t *connection, int screenNumber);

    xcb_connection_t *m_connection;
    int m_screenNumber;
};

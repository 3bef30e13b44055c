// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/WaylandOffer.h"

#include "clipboard/SelectionPipe.h"

#include <wayland-client.h>

#include <array>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {

// A text is kept up to this size as it first comes. A larger one is counted only, and asked for
// again once it is known to fit: a text too large to paste then costs no more memory than
// this, whoever offers it, and one that fits comes through the pipe twice, a small cost.
constexpr qsizetype FirstReadingKeeps = 16 << 20;

// The text types asked for, best first.
constexpr std::array<const char *, 3> TextTypes
    = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"};

// Both ends of a pipe, closed on every path.
class Pipe
{
public:
    Pipe() { m_open = pipe2(m_ends.data(), O_CLOEXEC) == 0; }
    ~Pipe()
    {
        if (m_open) {
            closeWriteEnd();
            close(m_ends[0]);
        }
    }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;

    bool isOpen() const { return m_open; }
    int readEnd() const { return m_ends[0]; }
    int writeEnd() const { return m_ends[1]; }
    // Once the other client has a copy of it: the reading then ends when that client closes it.
    void closeWriteEnd()
    {
        if (m_ends[1] != -1)
            close(m_ends[1]);
        m_ends[1] = -1;
    }

private:
    std::array<int, 2> m_ends{-1, -1};
    bool m_open = false;
};

} // namespace

const char *WaylandOffer::textType() const
{
    for (const char *type : TextTypes) {
        if (types.contains(QByteArray(type)))
            return type;
    }
    return nullptr;
}

namespace {

// One asking: a pipe of its own, closed on every path.
std::optional<SelectionText::Result> readOnce(wl_display *display, const char *type,
                                              const std::function<void(const char *, int)> &receive,
                                              qsizetype characterLimit,
                                              SelectionText::Patience patience,
                                              const std::function<void()> &whileWaiting,
                                              qsizetype keptBytes)
{
    Pipe pipe;
    if (!pipe.isOpen())
        return SelectionText::Result{SelectionText::Outcome::NoAnswer, {}};
    receive(type, pipe.writeEnd());
    // The request holds a copy of the pipe's end from the moment it is queued, so ours can go at
    // once; a connection too full to take it now sends it with the toolkit's next flush.
    wl_display_flush(display);
    pipe.closeWriteEnd();
    return readSelectionPipe(pipe.readEnd(), characterLimit, patience, whileWaiting, keptBytes);
}

} // namespace

SelectionText::Result readOfferedText(wl_display *display, const char *type,
                                      const std::function<void(const char *, int)> &receive,
                                      qsizetype characterLimit, SelectionText::Patience patience,
                                      const std::function<void()> &whileWaiting)
{
    if (auto read = readOnce(display, type, receive, characterLimit, patience, whileWaiting,
                             FirstReadingKeeps))
        return *std::move(read);
    // Known to fit now: asked for again, and kept whole.
    return readOnce(display, type, receive, characterLimit, patience, whileWaiting,
                    std::numeric_limits<qsizetype>::max())
        .value_or(SelectionText::Result{SelectionText::Outcome::NoAnswer, {}});
}

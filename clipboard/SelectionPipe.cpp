// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/SelectionPipe.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// How often the caller's work runs while nothing arrives: often enough for a window to repaint.
constexpr std::chrono::milliseconds WaitSlice(40);
// As much as a pipe holds by default.
constexpr size_t PieceSize = 64 * 1024;

} // namespace

std::optional<SelectionText::Result> readSelectionPipe(int readEnd, qsizetype characterLimit,
                                                       SelectionText::Patience patience,
                                                       const std::function<void()> &whileWaiting,
                                                       qsizetype keptBytes)
{
    // UTF-8 is what every text type asked for on Wayland carries.
    SelectionText::Pieces pieces(characterLimit, QStringConverter::Utf8, keptBytes);
    const int flags = fcntl(readEnd, F_GETFL);
    if (flags == -1 || fcntl(readEnd, F_SETFL, flags | O_NONBLOCK) == -1)
        return pieces.cutShort();
    const Clock::time_point end = Clock::now() + patience.total;
    Clock::time_point silentSince = Clock::now();
    std::array<char, PieceSize> piece;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now - silentSince >= patience.silence || now >= end)
            return pieces.cutShort();
        pollfd readable{readEnd, POLLIN, 0};
        const int ready = poll(&readable, 1, int(WaitSlice.count()));
        if (ready == 0 || (ready == -1 && errno == EINTR)) {
            whileWaiting();
            continue;
        }
        const ssize_t count = read(readEnd, piece.data(), piece.size());
        if (count == 0) {
            if (pieces.countedOnly())
                return std::nullopt;
            return pieces.whole();
        }
        if (count == -1) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return pieces.cutShort();
        }
        pieces.add(QByteArrayView(piece.data(), count));
        if (pieces.pastLimit())
            return pieces.cutShort();
        silentSince = Clock::now();
    }
}

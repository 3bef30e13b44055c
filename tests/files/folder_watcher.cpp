// SPDX-License-Identifier: GPL-3.0-or-later
// Another user watching a folder, as a local attacker would: it opens every file created or moved
// into the folder the moment inotify tells of it, keeps it open, and reads it only when its
// standard input closes, after the saves it watched. The test runs it as nobody.
//
// It prints "watching" once it watches, and at the end "seen N" (files that appeared), "opened N"
// (files it could open), and for each file it opened one line "read " with the bytes it read.

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

struct Watch
{
    int events = -1;
    int folder = -1;
    int seen = 0;
    QList<int> opened;
};

// Opens what appeared, for as long as events are waiting.
void takeEvents(Watch &watch)
{
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t length = ::read(watch.events, buffer, sizeof buffer);
        if (length <= 0)
            return;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->len == 0)
                continue;
            ++watch.seen;
            const int file = ::openat(watch.folder, event->name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (file >= 0)
                watch.opened.append(file);
        }
    }
}

QByteArray readWhole(int file)
{
    QByteArray bytes;
    char piece[65536];
    for (off_t offset = 0;;) {
        const ssize_t count = ::pread(file, piece, sizeof piece, offset);
        if (count <= 0)
            return bytes;
        bytes.append(piece, count);
        offset += count;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: folder_watcher FOLDER\n");
        return 2;
    }
    Watch watch;
    watch.folder = ::open(argv[1], O_PATH | O_DIRECTORY | O_CLOEXEC);
    watch.events = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch.folder < 0 || watch.events < 0
        || ::inotify_add_watch(watch.events, argv[1], IN_CREATE | IN_MOVED_TO) < 0) {
        std::perror(argv[1]);
        return 2;
    }
    std::printf("watching\n");
    std::fflush(stdout);
    pollfd waiting[] = {{watch.events, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        if (::poll(waiting, 2, -1) < 0 && errno != EINTR)
            return 2;
        takeEvents(watch);
        char ignored[256];
        if ((waiting[1].revents & (POLLIN | POLLHUP)) != 0
            && ::read(STDIN_FILENO, ignored, sizeof ignored) <= 0) {
            break;
        }
    }
    takeEvents(watch);
    std::printf("seen %d\nopened %lld\n", watch.seen, static_cast<long long>(watch.opened.size()));
    for (const int file : watch.opened)
        std::printf("read %s\n", readWhole(file).toHex().constData());
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/LinkText.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace LinkText {

QByteArray read(int folder, const QByteArray &name)
{
    // A link's text is at most PATH_MAX - 1 bytes; a full buffer would mean it was cut.
    QByteArray text(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(folder, name.constData(), text.data(), size_t(text.size()));
    if (length == ssize_t(text.size()))
        errno = ENAMETOOLONG;
    if (length <= 0 || length == ssize_t(text.size())) {
        if (length == 0)
            errno = ENOENT;
        return {};
    }
    text.truncate(length);
    return text;
}

QByteArray pathOf(int descriptor)
{
    const QByteArray path = read(AT_FDCWD, "/proc/self/fd/" + QByteArray::number(descriptor));
    return path.startsWith('/') ? path : QByteArray();
}

} // namespace LinkText

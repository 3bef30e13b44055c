// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileBytes.h"

#include <QByteArray>

#include <cerrno>
#include <unistd.h>

namespace {

constexpr qint64 PieceSize = 1 << 20;

// Runs a read or a write again as long as a signal interrupts it.
template<typename Transfer>
qint64 transferred(const Transfer &transfer)
{
    for (;;) {
        const qint64 count = transfer();
        if (count > 0)
            return count;
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0)
            errno = EIO;
        return -1;
    }
}

} // namespace

namespace FileBytes {

PieceWriter into(int descriptor)
{
    return [descriptor](QByteArrayView piece, qint64 offset) {
        return qint64(::pwrite(descriptor, piece.data(), size_t(piece.size()), offset));
    };
}

bool writeAll(QByteArrayView bytes, qint64 offset, const PieceWriter &write)
{
    while (!bytes.isEmpty()) {
        const qint64 written = transferred([&] { return write(bytes, offset); });
        if (written < 0)
            return false;
        bytes = bytes.sliced(written);
        offset += written;
    }
    return true;
}

bool copy(int from, qint64 offset, qint64 end, const PieceWriter &write)
{
    QByteArray piece(qBound(qint64(0), end - offset, PieceSize), Qt::Uninitialized);
    while (offset < end) {
        const qint64 count = transferred([&] {
            return qint64(
                ::pread(from, piece.data(), size_t(qMin(PieceSize, end - offset)), offset));
        });
        if (count < 0 || !writeAll(QByteArrayView(piece.constData(), count), offset, write))
            return false;
        offset += count;
    }
    return true;
}

bool endAt(int descriptor, qint64 size)
{
    return ::ftruncate(descriptor, size) == 0 && ::fsync(descriptor) == 0;
}

} // namespace FileBytes

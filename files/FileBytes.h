// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <functional>

// Whole writes and copies of bytes on file descriptors. pread and pwrite may do less than asked,
// or be interrupted by a signal; these go on until all is done. Each is false, with errno set,
// when a read or write fails, or does nothing (EIO: the file ended or the device took nothing).
namespace FileBytes {

// Writes a piece at an offset as pwrite does: how many bytes it wrote, or -1 with errno set.
using PieceWriter = std::function<qint64(QByteArrayView piece, qint64 offset)>;

// pwrite into the file.
PieceWriter into(int descriptor);

// Writes all the bytes at the offset.
bool writeAll(QByteArrayView bytes, qint64 offset, const PieceWriter &write);

// Copies the bytes of one file from the offset up to the end offset, to the same offsets.
bool copy(int from, qint64 offset, qint64 end, const PieceWriter &write);

// Cuts the file at the size and syncs it to disk.
bool endAt(int descriptor, qint64 size);

} // namespace FileBytes

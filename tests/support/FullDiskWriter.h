// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A save onto a disk that fills up: the writer takes the bytes below a given length of the file,
// then fails as a full disk does (ENOSPC). Every write of the save goes through writeBytes, so
// both of its ways fail, and so does putting the old text back.

#include "files/AtomicFileWriter.h"

#include <cerrno>

class FullDiskWriter : public AtomicFileWriter
{
public:
    FullDiskWriter(const WorkingFolder &folder, const QString &fileName, qint64 capacity)
        : AtomicFileWriter(folder, fileName)
        , m_capacity(capacity)
    {}

protected:
    qint64 writeBytes(int descriptor, QByteArrayView bytes, qint64 offset) override
    {
        if (offset >= m_capacity) {
            errno = ENOSPC;
            return -1;
        }
        return AtomicFileWriter::writeBytes(
            descriptor, bytes.first(qMin(bytes.size(), m_capacity - offset)), offset);
    }

private:
    qint64 m_capacity;
};

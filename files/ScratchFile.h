// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileDescriptor.h"

#include <QByteArray>

#include <sys/types.h>

// A file made in a folder under a fresh name (the prefix and six random characters), so that it
// can never be a file that was there before. It is removed when it goes unless it was kept: it
// was renamed into place, or it is meant to stay.
class ScratchFile
{
public:
    // An invalid file, with errno telling why, when none can be made.
    static ScratchFile create(int folder, const QByteArray &prefix, mode_t mode);

    // No file.
    ScratchFile() = default;

    ScratchFile(ScratchFile &&other) noexcept;
    ScratchFile &operator=(ScratchFile &&other) noexcept;
    ~ScratchFile();

    bool isOpen() const { return m_file.isOpen(); }
    int descriptor() const { return m_file.get(); }
    QByteArray name() const { return m_name; }

    void keep() { m_kept = true; }
    // Removes the file now.
    void remove();

private:
    ScratchFile(int folder, FileDescriptor file, QByteArray name);

    int m_folder = -1;
    FileDescriptor m_file;
    QByteArray m_name;
    bool m_kept = false;
};

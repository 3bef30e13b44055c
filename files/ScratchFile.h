// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileDescriptor.h"

#include <QByteArray>

#include <sys/types.h>

// A file made in a folder under a fresh name (the prefix and six random characters), so that it
// can never be a file that was there before. It is removed when it goes unless it was kept: it
// was renamed into place, or it is meant to stay.
//
// It may also be made without a name (O_TMPFILE), which nobody else can open, and be given its
// fresh name only once it is ready.
class ScratchFile
{
public:
    // An invalid file, with errno telling why, when none can be made.
    static ScratchFile create(int folder, const QByteArray &prefix, mode_t mode);
    // The same without a name; invalid, with errno set, also where the file system cannot make
    // such a file.
    static ScratchFile createUnnamed(int folder, mode_t mode);

    // No file.
    ScratchFile() = default;

    ScratchFile(ScratchFile &&other) noexcept;
    ScratchFile &operator=(ScratchFile &&other) noexcept;
    ~ScratchFile();

    bool isOpen() const { return m_file.isOpen(); }
    int descriptor() const { return m_file.get(); }
    // Empty while it has no name.
    QByteArray name() const { return m_name; }

    // Gives a file made without a name a fresh one in its folder; false, with errno set, when it
    // cannot. A file that has a name keeps it.
    bool giveName(const QByteArray &prefix);

    void keep() { m_kept = true; }
    // Removes the file now; false, with errno set, when its name cannot be removed.
    bool remove();

private:
    ScratchFile(int folder, FileDescriptor file, QByteArray name);
    void removeUnlessKept();

    int m_folder = -1;
    FileDescriptor m_file;
    QByteArray m_name;
    bool m_kept = false;
};

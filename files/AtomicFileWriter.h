// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileBytes.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>

class BackupCopy;
class SaveTarget;
class WorkingFolder;

// Replaces the contents of a file in a held folder so that, whatever happens, the file holds
// either all of its old bytes or all of the new ones, and stays the file it was.
//
// Only a regular file is written (see SaveTarget for what is refused). The new bytes take one of
// two ways:
//   - replaced: a new file in the same folder gets the bytes, is synced, and is renamed over the
//     old one. Taken when nothing is lost by it: the name is the file itself, not a link to it,
//     the file has no other names (hard links), and its owner, group, mode and extended
//     attributes (ACLs among them) can all be put on the new file; also for a file not there yet.
//   - overwritten in place: a complete synced copy of the old bytes is made first (BackupCopy),
//     then the file is overwritten, cut to the new length and synced, and the copy removed. If
//     the writing fails, the old bytes are put back from the copy; if even that fails, the
//     message says where the copy is. Taken in every other case, such as writing through a link,
//     into a hard-linked file, or into a writable file in a folder that takes no new files.
//
// SIGTERM, SIGINT and SIGHUP wait until the writing has ended either way (TerminationSignals).
// On any failure, a RuntimeFailure names the file's full path and the system's reason, and no
// temporary file is left behind.
//
// QSaveFile does only the first way, finds the folder again by its path, and resolves links by
// itself, outside the kernel's rules for following them; so the file work is done here on
// descriptors.
class AtomicFileWriter
{
    Q_DECLARE_TR_FUNCTIONS(AtomicFileWriter)

public:
    AtomicFileWriter(const WorkingFolder &folder, const QString &fileName);
    virtual ~AtomicFileWriter() = default;

    void write(QByteArrayView bytes);

    QString absoluteFilePath() const;

protected:
    // Writes bytes at an offset of an open file, returning how many were written or -1 with
    // errno set, as pwrite does. Every write of the file's new or restored bytes goes through
    // it; tests put a failing disk in its place.
    virtual qint64 writeBytes(int descriptor, QByteArrayView bytes, qint64 offset);

private:
    bool replace(const SaveTarget &target, QByteArrayView bytes);
    void overwrite(const SaveTarget &target, QByteArrayView bytes);
    bool writeWhole(int descriptor, QByteArrayView bytes);
    bool restore(const BackupCopy &backup, int descriptor);
    FileBytes::PieceWriter writerInto(int descriptor);

    const WorkingFolder &m_folder;
    QString m_fileName;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/BackupCopy.h"
#include "files/FileBytes.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

class SaveTarget;
class ScratchFile;
class WorkingFolder;

// Replaces the contents of a file in a held folder so that, whatever happens, the file holds
// either all of its old bytes or all of the new ones, and stays the file it was.
//
// Only a regular file is written (see SaveTarget for what is refused). The new bytes take one of
// two ways:
//   - replaced: a new file in the same folder gets the bytes, is synced, takes the old file's
//     owner, mode, extended attributes (ACLs among them), and is renamed over the old one. The
//     new file is private until then: made without a name where the file system allows
//     (O_TMPFILE), else with mode 600, so that nobody who may not read the old file can open it
//     and read the new text. Taken when nothing is lost by it: the name is the file itself, not
//     a link to it, the file has no other names (hard links), its inode flags are those a new
//     file gets, and its attributes can all be put on the new file; also for a file not there
//     yet, which gets the mode any new file gets.
//   - overwritten in place: a complete synced copy of the old bytes is made first (BackupCopy),
//     then the file is overwritten, cut to the new length and synced, and the copy removed. If
//     the writing fails, the old bytes are put back from the copy; if even that fails, the
//     message says where the copy is. Taken in every other case, such as writing through a link,
//     into a hard-linked file, into a writable file in a folder that takes no new files or lets
//     none go (append-only), or when the folder refuses the rename.
//
// A save that succeeds leaves no new name behind, and one that fails none that holds the new
// text; a file that really cannot be removed is named in a RuntimeFailure.
//
// SIGTERM, SIGINT and SIGHUP wait until the writing has ended either way (TerminationSignals).
// On any failure, a RuntimeFailure names the file's full path and the system's reason.
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
    enum class Outcome { Saved, WriteInPlace, InspectAgain };

    Outcome save(const SaveTarget &target, QByteArrayView bytes);
    Outcome replace(const SaveTarget &target, QByteArrayView bytes);
    Outcome replaceWith(ScratchFile &temporary, const SaveTarget &target, QByteArrayView bytes,
                        bool modeGiven);
    Outcome overwrite(const SaveTarget &target, QByteArrayView bytes, BackupCopy::Place place);
    bool renameOver(const SaveTarget &target, const ScratchFile &temporary);
    void removeOrName(ScratchFile &file);
    void removeOrName(BackupCopy &copy);
    bool writeWhole(int descriptor, QByteArrayView bytes);
    bool restore(const BackupCopy &backup, int descriptor);
    FileBytes::PieceWriter writerInto(int descriptor);

    const WorkingFolder &m_folder;
    QString m_fileName;
    // Files of this save that could not be removed, and why, for the message.
    QStringList m_leftBehind;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/ScratchFile.h"
#include "files/StateFolder.h"

#include <QCoreApplication>
#include <QString>

#include <sys/stat.h>

class SaveTarget;
class WorkingFolder;

// A complete copy of a file's bytes, synced to disk, made before the file is overwritten in
// place: if the writing fails the old bytes are put back from it, and if the machine or the
// program dies meanwhile they are still in it.
//
// It is made next to the file (in the held folder) when that folder takes it and lets it go
// again, else in the user's state folder (StateFolder). It stays on disk unless removed: a copy
// nobody removed holds the only whole old text there may be.
class BackupCopy
{
    Q_DECLARE_TR_FUNCTIONS(BackupCopy)

public:
    enum class Place { BesideFile, StateFolderOnly };

    // Throws a RuntimeFailure when no copy can be made anywhere; the file is untouched then.
    // StateFolderOnly for a folder that would keep the copy (append-only).
    static BackupCopy make(const WorkingFolder &folder, const SaveTarget &target, int file,
                           const struct stat &status, Place place);

    int descriptor() const { return m_copy.descriptor(); }
    qint64 size() const { return m_size; }
    // Its full path, for messages.
    QString path() const { return m_path; }

    // False, with errno set, when the copy cannot be removed.
    bool remove() { return m_copy.remove(); }

private:
    BackupCopy(StateFolder folder, ScratchFile copy, QString path, qint64 size);
    [[noreturn]] static void refuse(const SaveTarget &target, int besideError, int stateError,
                                    const QString &stateReason, const QByteArray &stateFolderPath);

    // The state folder, when the copy is there; declared first, so that it is closed last.
    StateFolder m_stateFolder;
    ScratchFile m_copy;
    QString m_path;
    qint64 m_size = 0;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileDescriptor.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// A folder held open as a directory descriptor, so that files are found in it by their names
// alone (openat, renameat, ...) for as long as it is held.
//
// The program holds the folder it was started in for its whole life. Going back to it by its path
// instead would break in three ways: a path whose bytes are not UTF-8 does not survive the trip
// through a QString, a folder renamed meanwhile is not found under its old path, and a folder
// deleted meanwhile gives reasons that make no sense to the user.
class WorkingFolder
{
    Q_DECLARE_TR_FUNCTIONS(WorkingFolder)

public:
    // The current folder of the process.
    static WorkingFolder current();
    // The folder at a path, as the system spells it.
    static WorkingFolder open(const QByteArray &path);

    // Held read-only when that is allowed, else only as a place (O_PATH): both serve every *at
    // call; only the first can also be synced.
    int descriptor() const { return m_folder.get(); }

    // Where the folder is now, for messages: it follows a rename, and bytes that are not UTF-8
    // are written out as \xB1.
    QString path() const;
    // A file in the folder, for messages.
    QString filePath(const QString &name) const;
    QString filePath(const QByteArray &name) const;

    // Whether the folder was deleted (or could not be opened at all), and the reason to give
    // the user then. Such a folder holds no files and takes none.
    bool isGone() const;
    QString goneReason() const;

    // Whether the folder takes new names but lets none go again (chattr +a): whatever is made in
    // it stays. False when that cannot be told, as for a folder held only as a place.
    bool isAppendOnly() const;

    // Makes what was renamed or created in the folder survive a crash of the machine. Best
    // effort: a folder held only as a place cannot be synced.
    void sync() const;

private:
    WorkingFolder(FileDescriptor folder, QByteArray pathAtOpening, int openingError);

    FileDescriptor m_folder;
    QByteArray m_pathAtOpening;
    int m_openingError = 0;
};

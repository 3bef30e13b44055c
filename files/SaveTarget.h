// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileDescriptor.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <sys/stat.h>

class WorkingFolder;

// What a name in a held folder stands for when a file is about to be saved under it: nothing yet,
// a regular file, or a symbolic link to a regular file or to nothing yet. Anything else is
// refused when the target is inspected, before anything is opened for writing:
//   - a folder, FIFO, socket or device, whether named directly or through links: writing would
//     feed a device or a reader, and replacing it would destroy something that is no notes file;
//   - a link loop;
//   - a link in a sticky folder that everybody may write to (/tmp and the like), when the link
//     belongs neither to the folder's owner nor to the user saving. Another user may have planted
//     it to make this one write over their own files; the kernel refuses to follow such links
//     where fs.protected_symlinks is on, and the save refuses them wherever it runs.
//
// Every failure is a RuntimeFailure naming the file's full path (and, for a link, where it leads)
// and the system's reason.
class SaveTarget
{
    Q_DECLARE_TR_FUNCTIONS(SaveTarget)

public:
    static SaveTarget inspect(const WorkingFolder &folder, const QString &fileName);

    // A regular file is there, named directly or at the end of a link.
    bool exists() const { return m_exists; }
    bool isLink() const { return m_isLink; }
    // The regular file's status, when it exists.
    const struct stat &status() const { return m_status; }
    QByteArray name() const { return m_name; }

    // Opens the file that was inspected, as a link leads or, for a name that is no link, without
    // following one. Invalid, with errno set, when the system refuses; a file that is no longer
    // the one inspected is a failure.
    FileDescriptor open(int flags) const;

    struct OpenFile
    {
        FileDescriptor descriptor;
        struct stat status = {};
    };
    // Opens the file for reading and writing in place. A link that leads to nothing yet makes
    // its file there, as writing through it always has.
    OpenFile openForOverwrite() const;

    // Whether the name still stands for what was inspected: the same file, or still nothing.
    bool isUnchanged() const;

    // Throws the failure: "Nie można zapisać pliku …: reason." followed by the addition.
    [[noreturn]] void fail(int error, const QString &addition = {}) const;
    [[noreturn]] void failChanged() const;

private:
    SaveTarget(const WorkingFolder &folder, const QString &fileName);
    // The file for messages: its full path in quotes, and where a link leads.
    QString describe() const;
    void refuseProtectedLink(const struct stat &link) const;
    [[noreturn]] void refuseKind(mode_t mode) const;

    const WorkingFolder &m_folder;
    QString m_fileName;
    QByteArray m_name;
    bool m_exists = false;
    bool m_isLink = false;
    QString m_linkTarget;
    struct stat m_status = {};
};

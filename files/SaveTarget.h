// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileDescriptor.h"
#include "files/LinkChain.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <sys/stat.h>

class WorkingFolder;

// What a name in a held folder stands for when a file is about to be saved under it: nothing yet,
// a regular file, or a chain of symbolic links to a regular file or to nothing yet. Anything
// else is refused when the target is inspected, before anything is opened for writing:
//   - a folder, FIFO, socket or device, whether named directly or through links: writing would
//     feed a device or a reader, and replacing it would destroy something that is no notes file;
//   - a link loop, or a chain of more than 40 links;
//   - a link anywhere on the chain that the kernel's protected-symlink rule forbids following
//     (see LinkChain), whether or not the machine applies that rule.
//
// Every failure is a RuntimeFailure naming the file's full path (and, for a link, where it leads)
// and the system's reason.
class SaveTarget
{
    Q_DECLARE_TR_FUNCTIONS(SaveTarget)

public:
    static SaveTarget inspect(const WorkingFolder &folder, const QString &fileName);

    // A regular file is there, named directly or at the end of links.
    bool exists() const { return m_chain.exists(); }
    bool isLink() const { return m_chain.startsWithLink(); }
    // The regular file's status, when it exists.
    const struct stat &status() const { return m_chain.status(); }
    QByteArray name() const { return m_name; }

    // Opens the file that was inspected, without following any link: a link is followed by
    // opening the file at its end. Invalid, with errno set, when the system refuses; a file that
    // is no longer the one inspected is a failure.
    FileDescriptor open(int flags) const;

    struct OpenFile
    {
        FileDescriptor descriptor;
        struct stat status = {};
    };
    // Opens the file for reading and writing in place. A name, or a link, that leads to nothing
    // yet makes its file there, only if nothing has appeared there since the inspection: invalid,
    // with errno EEXIST, when something has, so that the caller inspects it again.
    OpenFile openForOverwrite() const;

    // Whether the name still stands for what was inspected: the same file, or still nothing.
    bool isUnchanged() const;

    // Throws the failure: "Nie można zapisać pliku …: reason." followed by the addition.
    [[noreturn]] void fail(int error, const QString &addition = {}) const;
    // The same with a reason of the program's own.
    [[noreturn]] void fail(int number, const QString &reason, const QString &addition) const;
    [[noreturn]] void failChanged() const;

private:
    SaveTarget(const WorkingFolder &folder, const QString &fileName);
    // The file for messages: its full path in quotes, and where a link leads.
    QString describe() const;
    [[noreturn]] void refuseProtectedLink() const;
    [[noreturn]] void refuseKind(mode_t mode) const;

    const WorkingFolder &m_folder;
    QString m_fileName;
    QByteArray m_name;
    LinkChain m_chain;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileDescriptor.h"

#include <QByteArray>
#include <QList>

#include <sys/stat.h>

// Where a name in a folder leads when every symbolic link on the way is followed, worked out one
// component at a time here rather than by the kernel, so that every link of a chain, and every
// link to a folder on the way, is checked as the kernel's protected-symlink rule checks it, on
// any machine, whatever its fs.protected_symlinks says: a link in a sticky folder that everybody
// may write to (/tmp and the like) is followed only when it belongs to the folder's owner or to
// the user following it. Another user may have planted it there to make this one write over
// their own files.
//
// The end is held as a folder and a name in it that is no link, so that the file is opened with
// O_NOFOLLOW and no link is followed between checking it and opening it.
class LinkChain
{
public:
    enum class Outcome {
        // The end is in folder() under name(); it may not be there yet.
        Followed,
        // A link breaks the protected-symlink rule: refusedLinkPath(), refusedLinkOwner().
        Refused,
        // error() tells why: ELOOP after 40 links, as the kernel, ENOENT, ENOTDIR, EACCES, ...
        Failed,
    };

    // Follows the name from the folder, which must stay open while the chain is used.
    static LinkChain follow(int folder, const QByteArray &name);

    Outcome outcome() const { return m_outcome; }
    int error() const { return m_error; }

    // Whether the name itself is a link, and what it says.
    bool startsWithLink() const { return !m_firstLinkText.isEmpty(); }
    QByteArray firstLinkText() const { return m_firstLinkText; }

    QByteArray refusedLinkPath() const { return m_refusedLinkPath; }
    uid_t refusedLinkOwner() const { return m_refusedLinkOwner; }

    int folder() const { return m_folder; }
    QByteArray name() const { return m_name; }
    // Whether something is there at the end, and its status, read without following it.
    bool exists() const { return m_exists; }
    const struct stat &status() const { return m_status; }

private:
    explicit LinkChain(int folder);
    void walk(QList<QByteArray> pending);
    void enter(FileDescriptor folder);
    bool mayFollow(const QByteArray &link, const struct stat &status);
    void fail(int error);

    FileDescriptor m_heldFolder;
    int m_folder = -1;
    Outcome m_outcome = Outcome::Followed;
    int m_error = 0;
    QByteArray m_firstLinkText;
    QByteArray m_refusedLinkPath;
    uid_t m_refusedLinkOwner = 0;
    QByteArray m_name;
    bool m_exists = false;
    struct stat m_status = {};
};

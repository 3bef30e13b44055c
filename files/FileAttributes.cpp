// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileAttributes.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The names of the file's extended attributes; none on a file system that has no such thing.
bool namesOf(int file, QList<QByteArray> &names)
{
    names.clear();
    for (;;) {
        const ssize_t size = ::flistxattr(file, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        QByteArray list(size, Qt::Uninitialized);
        const ssize_t got = ::flistxattr(file, list.data(), size_t(list.size()));
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return false;
        list.truncate(got);
        for (const QByteArray &name : list.split('\0')) {
            if (!name.isEmpty())
                names.append(name);
        }
        return true;
    }
}

bool valueOf(int file, const QByteArray &name, QByteArray &value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(file, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size);
        const ssize_t got = ::fgetxattr(file, name.constData(), value.data(), size_t(value.size()));
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return false;
        value.truncate(got);
        return true;
    }
}

bool copyExtendedAttributes(int from, int to)
{
    QList<QByteArray> names;
    QList<QByteArray> present;
    if (!namesOf(from, names) || !namesOf(to, present))
        return false;
    for (const QByteArray &name : names) {
        QByteArray value;
        QByteArray current;
        if (!valueOf(from, name, value))
            return false;
        if (present.contains(name) && valueOf(to, name, current) && current == value)
            continue;
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    // The new file may have got attributes of its own, a folder's default ACL for one.
    for (const QByteArray &name : present) {
        if (!names.contains(name) && ::fremovexattr(to, name.constData()) != 0)
            return false;
    }
    return true;
}

// The flags chattr shows and sets; the others (extents, inline data, ...) say how the file system
// stores the file, and differ between files alike.
constexpr int ChattrFlags = FS_SECRM_FL | FS_UNRM_FL | FS_COMPR_FL | FS_SYNC_FL | FS_IMMUTABLE_FL
                            | FS_APPEND_FL | FS_NODUMP_FL | FS_NOATIME_FL | FS_JOURNAL_DATA_FL
                            | FS_NOTAIL_FL | FS_DIRSYNC_FL | FS_TOPDIR_FL | FS_NOCOW_FL
                            | FS_PROJINHERIT_FL | FS_NOCOMP_FL | FS_DAX_FL;

// None where the file system has no such flags.
int flagsOf(int file)
{
    int flags = 0;
    return ::ioctl(file, FS_IOC_GETFLAGS, &flags) == 0 ? flags & ChattrFlags : 0;
}

} // namespace

namespace FileAttributes {

bool haveSameFlags(int one, int other)
{
    return flagsOf(one) == flagsOf(other);
}

bool copyOwnership(const struct stat &fromStatus, int to)
{
    struct stat toStatus = {};
    if (::fstat(to, &toStatus) != 0)
        return false;
    return (toStatus.st_uid == fromStatus.st_uid && toStatus.st_gid == fromStatus.st_gid)
           || ::fchown(to, fromStatus.st_uid, fromStatus.st_gid) == 0;
}

bool copy(int from, const struct stat &fromStatus, int to)
{
    constexpr mode_t ModeBits = 07777;
    struct stat toStatus = {};
    if (!copyOwnership(fromStatus, to) || !copyExtendedAttributes(from, to))
        return false;
    // Last: a change of owner clears the set-ID bits, and an ACL written sets the group bits.
    if (::fchmod(to, fromStatus.st_mode & ModeBits) != 0 || ::fstat(to, &toStatus) != 0)
        return false;
    return toStatus.st_uid == fromStatus.st_uid && toStatus.st_gid == fromStatus.st_gid
           && (toStatus.st_mode & ModeBits) == (fromStatus.st_mode & ModeBits);
}

} // namespace FileAttributes

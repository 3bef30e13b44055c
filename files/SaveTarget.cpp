// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SaveTarget.h"

#include "common/RuntimeFailure.h"
#include "common/SystemError.h"
#include "files/FileKind.h"
#include "files/PathText.h"
#include "files/WorkingFolder.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace {

bool isSameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

QString userName(uid_t user)
{
    struct passwd entry = {};
    struct passwd *found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return QStringLiteral("%1 (UID %2)").arg(PathText::display(found->pw_name)).arg(user);
    return QStringLiteral("UID %1").arg(user);
}

QByteArray linkText(int folder, const QByteArray &name)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t length
        = ::readlinkat(folder, name.constData(), target.data(), size_t(target.size()));
    target.truncate(length > 0 ? length : 0);
    return target;
}

} // namespace

SaveTarget::SaveTarget(const WorkingFolder &folder, const QString &fileName)
    : m_folder(folder)
    , m_fileName(fileName)
    , m_name(QFile::encodeName(fileName))
{}

SaveTarget SaveTarget::inspect(const WorkingFolder &folder, const QString &fileName)
{
    SaveTarget target(folder, fileName);
    if (folder.isGone())
        target.fail(ENOENT);
    const int descriptor = folder.descriptor();
    struct stat entry = {};
    if (::fstatat(descriptor, target.m_name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return target;
        target.fail(errno);
    }
    target.m_isLink = S_ISLNK(entry.st_mode);
    if (target.m_isLink) {
        const QByteArray leadsTo = linkText(descriptor, target.m_name);
        target.m_linkTarget
            = leadsTo.startsWith('/') ? PathText::display(leadsTo) : folder.filePath(leadsTo);
        target.refuseProtectedLink(entry);
        if (::fstatat(descriptor, target.m_name.constData(), &entry, 0) != 0) {
            if (errno == ENOENT)
                return target;
            target.fail(errno);
        }
    }
    if (!S_ISREG(entry.st_mode))
        target.refuseKind(entry.st_mode);
    target.m_exists = true;
    target.m_status = entry;
    return target;
}

void SaveTarget::refuseProtectedLink(const struct stat &link) const
{
    struct stat folder = {};
    if (::fstat(m_folder.descriptor(), &folder) != 0)
        return;
    const bool sharedSticky = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (!sharedSticky || link.st_uid == folder.st_uid || link.st_uid == ::geteuid())
        return;
    throw RuntimeFailure(
        RuntimeFailure::PermissionDenied,
        tr("Nie zapisano pliku %1: to dowiązanie należy do innego użytkownika, %2, a leży w "
           "folderze, do którego każdy może pisać. Takie dowiązanie mógł podłożyć ktokolwiek, "
           "żeby zapis nadpisał cudzy plik, więc nie wolno za nim iść. Niczego nie zmieniono.")
            .arg(describe(), userName(link.st_uid)));
}

void SaveTarget::refuseKind(mode_t mode) const
{
    throw RuntimeFailure(RuntimeFailure::PathFileAccessError,
                         tr("Nie zapisano pliku %1: %2. Niczego nie zmieniono.")
                             .arg(describe(), FileKind::describe(mode)));
}

FileDescriptor SaveTarget::open(int flags) const
{
    const int nofollow = m_isLink ? 0 : O_NOFOLLOW;
    // Not blocking and taking no terminal, in case the name was swapped for a FIFO or a device
    // since it was inspected; such a file is then closed untouched.
    FileDescriptor file(::openat(m_folder.descriptor(), m_name.constData(),
                                 flags | nofollow | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isOpen())
        return file;
    struct stat status = {};
    if (::fstat(file.get(), &status) != 0)
        fail(errno);
    if (!isSameFile(status, m_status))
        failChanged();
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    return file;
}

SaveTarget::OpenFile SaveTarget::openForOverwrite() const
{
    OpenFile file;
    if (m_exists) {
        file.descriptor = open(O_RDWR);
        if (!file.descriptor.isOpen())
            fail(errno);
        file.status = m_status;
        return file;
    }
    file.descriptor
        = FileDescriptor(::openat(m_folder.descriptor(), m_name.constData(),
                                  O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!file.descriptor.isOpen() || ::fstat(file.descriptor.get(), &file.status) != 0)
        fail(errno);
    if (!S_ISREG(file.status.st_mode))
        refuseKind(file.status.st_mode);
    const int descriptor = file.descriptor.get();
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return file;
}

bool SaveTarget::isUnchanged() const
{
    struct stat entry = {};
    if (::fstatat(m_folder.descriptor(), m_name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT && !m_exists && !m_isLink;
    return m_exists && !m_isLink && isSameFile(entry, m_status);
}

QString SaveTarget::describe() const
{
    const QString path = QStringLiteral("„%1”").arg(m_folder.filePath(m_fileName));
    if (!m_isLink)
        return path;
    return tr("%1, dowiązania symbolicznego do „%2”").arg(path, m_linkTarget);
}

void SaveTarget::fail(int error, const QString &addition) const
{
    // Whatever failed in a folder that is gone failed because it is gone.
    const bool folderGone = m_folder.isGone();
    const QString reason = folderGone ? m_folder.goneReason() : SystemError::describe(error);
    QString message = tr("Nie można zapisać pliku %1: %2.").arg(describe(), reason);
    if (!addition.isEmpty())
        message += u' ' + addition;
    throw RuntimeFailure(
        SystemError::failureNumber(folderGone ? ENOENT : error, SystemError::Access::Writing),
        message);
}

void SaveTarget::failChanged() const
{
    throw RuntimeFailure(RuntimeFailure::PathFileAccessError,
                         tr("Nie zapisano pliku %1: w trakcie zapisu w jego miejscu pojawił się "
                            "inny plik. Niczego nie zmieniono; spróbuj zapisać jeszcze raz.")
                             .arg(describe()));
}

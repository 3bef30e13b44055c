// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SaveTarget.h"

#include "common/RuntimeFailure.h"
#include "common/SystemError.h"
#include "files/FileKind.h"
#include "files/PathText.h"
#include "files/UserName.h"
#include "files/WorkingFolder.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool isSameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

} // namespace

SaveTarget::SaveTarget(const WorkingFolder &folder, const QString &fileName)
    : m_folder(folder)
    , m_fileName(fileName)
    , m_name(QFile::encodeName(fileName))
    , m_chain(LinkChain::follow(folder.descriptor(), m_name))
{}

SaveTarget SaveTarget::inspect(const WorkingFolder &folder, const QString &fileName)
{
    SaveTarget target(folder, fileName);
    if (folder.isGone())
        target.fail(ENOENT);
    switch (target.m_chain.outcome()) {
    case LinkChain::Outcome::Refused:
        target.refuseProtectedLink();
    case LinkChain::Outcome::Failed:
        target.fail(target.m_chain.error());
    case LinkChain::Outcome::Followed:
        break;
    }
    if (target.exists() && !S_ISREG(target.status().st_mode))
        target.refuseKind(target.status().st_mode);
    return target;
}

void SaveTarget::refuseProtectedLink() const
{
    throw RuntimeFailure(
        RuntimeFailure::PermissionDenied,
        tr("Nie zapisano pliku %1: dowiązanie „%2” należy do innego użytkownika, %3, a leży w "
           "folderze, do którego każdy może pisać. Takie dowiązanie mógł podłożyć ktokolwiek, "
           "żeby zapis nadpisał cudzy plik, więc nie wolno za nim iść. Niczego nie zmieniono.")
            .arg(describe(), PathText::display(m_chain.refusedLinkPath()),
                 UserName::describe(m_chain.refusedLinkOwner())));
}

void SaveTarget::refuseKind(mode_t mode) const
{
    throw RuntimeFailure(RuntimeFailure::PathFileAccessError,
                         tr("Nie zapisano pliku %1: %2. Niczego nie zmieniono.")
                             .arg(describe(), FileKind::describe(mode)));
}

FileDescriptor SaveTarget::open(int flags) const
{
    // Not blocking and taking no terminal, in case the name was swapped for a FIFO or a device
    // since it was inspected; such a file is then closed untouched.
    FileDescriptor file(::openat(m_chain.folder(), m_chain.name().constData(),
                                 flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isOpen()) {
        // The end of the chain became a link.
        if (errno == ELOOP)
            failChanged();
        return file;
    }
    struct stat status = {};
    if (::fstat(file.get(), &status) != 0)
        fail(errno);
    if (!isSameFile(status, this->status()))
        failChanged();
    file.makeBlocking();
    return file;
}

SaveTarget::OpenFile SaveTarget::openForOverwrite() const
{
    OpenFile file;
    if (exists()) {
        file.descriptor = open(O_RDWR);
        if (!file.descriptor.isOpen())
            fail(errno);
        file.status = status();
        return file;
    }
    file.descriptor = FileDescriptor(
        ::openat(m_chain.folder(), m_chain.name().constData(),
                 O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!file.descriptor.isOpen() && errno == EEXIST)
        return file;
    if (!file.descriptor.isOpen() || ::fstat(file.descriptor.get(), &file.status) != 0)
        fail(errno);
    file.descriptor.makeBlocking();
    return file;
}

bool SaveTarget::isUnchanged() const
{
    struct stat entry = {};
    if (::fstatat(m_folder.descriptor(), m_name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT && !exists() && !isLink();
    return exists() && !isLink() && isSameFile(entry, status());
}

QString SaveTarget::describe() const
{
    const QString path = QStringLiteral("„%1”").arg(m_folder.filePath(m_fileName));
    if (!isLink())
        return path;
    const QByteArray leadsTo = m_chain.firstLinkText();
    return tr("%1, dowiązania symbolicznego do „%2”")
        .arg(path,
             leadsTo.startsWith('/') ? PathText::display(leadsTo) : m_folder.filePath(leadsTo));
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

void SaveTarget::fail(int number, const QString &reason, const QString &addition) const
{
    throw RuntimeFailure(
        number,
        tr("Nie można zapisać pliku %1: %2. %3").arg(describe(), reason, addition).trimmed());
}

void SaveTarget::failChanged() const
{
    throw RuntimeFailure(RuntimeFailure::PathFileAccessError,
                         tr("Nie zapisano pliku %1: w trakcie zapisu w jego miejscu pojawił się "
                            "inny plik. Niczego nie zmieniono; spróbuj zapisać jeszcze raz.")
                             .arg(describe()));
}

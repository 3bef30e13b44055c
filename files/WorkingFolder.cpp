// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/WorkingFolder.h"

#include "common/SystemError.h"
#include "files/LinkText.h"
#include "files/PathText.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileDescriptor openFolder(const char *path, int &error)
{
    // Read access lets the folder be synced; a folder that may be searched but not listed is
    // still held, as a place.
    FileDescriptor folder(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen())
        folder = FileDescriptor(::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC));
    error = folder.isOpen() ? 0 : errno;
    return folder;
}

// getcwd fails for a folder deleted before the program started; /proc still names it then, with
// a mark the message has no use for.
QByteArray currentPath()
{
    QByteArray path(PATH_MAX, Qt::Uninitialized);
    if (::getcwd(path.data(), size_t(path.size())) != nullptr)
        return path.left(qsizetype(qstrlen(path.constData())));
    const QByteArray deletedMark = " (deleted)";
    path = LinkText::read(AT_FDCWD, "/proc/self/cwd");
    if (path.endsWith(deletedMark))
        path.chop(deletedMark.size());
    return path.startsWith('/') ? path : QByteArrayLiteral(".");
}

} // namespace

WorkingFolder::WorkingFolder(FileDescriptor folder, QByteArray pathAtOpening, int openingError)
    : m_folder(std::move(folder))
    , m_pathAtOpening(std::move(pathAtOpening))
    , m_openingError(openingError)
{}

WorkingFolder WorkingFolder::current()
{
    int error = 0;
    FileDescriptor folder = openFolder(".", error);
    return WorkingFolder(std::move(folder), currentPath(), error);
}

WorkingFolder WorkingFolder::open(const QByteArray &path)
{
    int error = 0;
    FileDescriptor folder = openFolder(path.constData(), error);
    return WorkingFolder(std::move(folder), path, error);
}

QString WorkingFolder::path() const
{
    const QByteArray now = isGone() ? QByteArray() : LinkText::pathOf(m_folder.get());
    return PathText::display(now.isEmpty() ? m_pathAtOpening : now);
}

QString WorkingFolder::filePath(const QString &name) const
{
    const QString folder = path();
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString WorkingFolder::filePath(const QByteArray &name) const
{
    return filePath(PathText::display(name));
}

bool WorkingFolder::isGone() const
{
    struct stat status = {};
    return !m_folder.isOpen() || (::fstat(m_folder.get(), &status) == 0 && status.st_nlink == 0);
}

QString WorkingFolder::goneReason() const
{
    if (!m_folder.isOpen()) {
        return tr("nie udało się otworzyć folderu „%1”, w którym uruchomiono program: %2")
            .arg(PathText::display(m_pathAtOpening), SystemError::describe(m_openingError));
    }
    return tr("folder „%1”, w którym uruchomiono program, już nie istnieje")
        .arg(PathText::display(m_pathAtOpening));
}

bool WorkingFolder::isAppendOnly() const
{
    int flags = 0;
    return ::ioctl(m_folder.get(), FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_APPEND_FL) != 0;
}

void WorkingFolder::sync() const
{
    ::fsync(m_folder.get());
}

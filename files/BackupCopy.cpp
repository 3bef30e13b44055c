// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/BackupCopy.h"

#include "files/FileBytes.h"
#include "files/PathText.h"
#include "files/SaveTarget.h"
#include "files/WorkingFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt names the state folder only from 6.7 on (QStandardPaths::GenericStateLocation), and gives
// it as a QString, which cannot hold a path that is not UTF-8: it is worked out here, in bytes.
QByteArray stateFolderPath()
{
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    if (state.startsWith('/'))
        return state + "/notatki";
    QByteArray home = qgetenv("HOME");
    if (!home.startsWith('/')) {
        const struct passwd *user = ::getpwuid(::geteuid());
        home = user != nullptr ? QByteArray(user->pw_dir) : QByteArray();
    }
    return home + "/.local/state/notatki";
}

// Makes the folder and those above it that are missing, private to the user, and opens it.
FileDescriptor openStateFolder(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash != -1; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0700);
    ::mkdir(path.constData(), 0700);
    return FileDescriptor(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// The kernel copies without a trip through this process where it can (and shares the blocks
// on file systems that allow it); otherwise the bytes go through a buffer.
bool copyBytes(int from, int to, qint64 size)
{
    qint64 copied = 0;
    while (copied < size) {
        loff_t fromOffset = copied;
        loff_t toOffset = copied;
        const ssize_t count
            = ::copy_file_range(from, &fromOffset, to, &toOffset, size_t(size - copied), 0);
        if (count > 0) {
            copied += count;
            continue;
        }
        if (count == 0 || errno == EXDEV || errno == ENOSYS || errno == EINVAL
            || errno == EOPNOTSUPP) {
            break;
        }
        return false;
    }
    return FileBytes::copy(from, copied, size, FileBytes::into(to));
}

// A folder held only as a place (O_PATH) cannot be synced; its entries still go to disk with
// the next sync of the file system.
bool syncFolder(int folder)
{
    return ::fsync(folder) == 0 || errno == EBADF;
}

// A copy in the folder, whole and on disk, or an invalid one with errno set.
ScratchFile copyInto(int folder, const QByteArray &prefix, int file, const struct stat &status)
{
    ScratchFile copy = ScratchFile::create(folder, prefix, 0600);
    if (!copy.isOpen())
        return copy;
    if (!copyBytes(file, copy.descriptor(), status.st_size) || ::fsync(copy.descriptor()) != 0
        || !syncFolder(folder)) {
        const int error = errno;
        copy = ScratchFile();
        errno = error;
        return copy;
    }
    // The copy belongs to whoever the file belongs to, and is as private as the file. Only root
    // may give a file away; for anyone else the copy stays their own.
    [[maybe_unused]] const int givenAway
        = ::fchown(copy.descriptor(), status.st_uid, status.st_gid);
    ::fchmod(copy.descriptor(), status.st_mode & 0666);
    copy.keep();
    return copy;
}

} // namespace

BackupCopy::BackupCopy(FileDescriptor folder, ScratchFile copy, QString path, qint64 size)
    : m_stateFolder(std::move(folder))
    , m_copy(std::move(copy))
    , m_path(std::move(path))
    , m_size(size)
{}

BackupCopy BackupCopy::make(const WorkingFolder &folder, const SaveTarget &target, int file,
                            const struct stat &status)
{
    const QByteArray prefix = target.name() + ".kopia-";
    ScratchFile nextToFile = copyInto(folder.descriptor(), prefix, file, status);
    if (nextToFile.isOpen()) {
        const QString path = folder.filePath(nextToFile.name());
        return BackupCopy(FileDescriptor(), std::move(nextToFile), path, status.st_size);
    }
    const QByteArray stateFolderName = stateFolderPath();
    FileDescriptor stateFolder = openStateFolder(stateFolderName);
    ScratchFile inStateFolder
        = stateFolder.isOpen() ? copyInto(stateFolder.get(), prefix, file, status) : ScratchFile();
    if (!inStateFolder.isOpen()) {
        target.fail(errno, tr("Przed zapisem trzeba zrobić kopię jego obecnej treści, a nie udało "
                              "się jej zrobić ani obok niego, ani w folderze „%1”. Plik pozostał "
                              "bez zmian.")
                               .arg(PathText::display(stateFolderName)));
    }
    const QString path = PathText::display(stateFolderName + '/' + inStateFolder.name());
    return BackupCopy(std::move(stateFolder), std::move(inStateFolder), path, status.st_size);
}

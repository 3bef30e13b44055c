// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/BackupCopy.h"

#include "common/SystemError.h"
#include "files/FileBytes.h"
#include "files/PathText.h"
#include "files/SaveTarget.h"
#include "files/StateFolder.h"
#include "files/WorkingFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

BackupCopy::BackupCopy(StateFolder folder, ScratchFile copy, QString path, qint64 size)
    : m_stateFolder(std::move(folder))
    , m_copy(std::move(copy))
    , m_path(std::move(path))
    , m_size(size)
{}

BackupCopy BackupCopy::make(const WorkingFolder &folder, const SaveTarget &target, int file,
                            const struct stat &status, Place place)
{
    const QByteArray prefix = target.name() + ".kopia-";
    int besideError = 0;
    if (place == Place::BesideFile) {
        ScratchFile nextToFile = copyInto(folder.descriptor(), prefix, file, status);
        if (nextToFile.isOpen()) {
            const QString path = folder.filePath(nextToFile.name());
            return BackupCopy(StateFolder(), std::move(nextToFile), path, status.st_size);
        }
        besideError = errno;
    }
    StateFolder stateFolder = StateFolder::open();
    ScratchFile inStateFolder = stateFolder.isOpen()
                                    ? copyInto(stateFolder.descriptor(), prefix, file, status)
                                    : ScratchFile();
    if (!inStateFolder.isOpen()) {
        const int stateError = stateFolder.isOpen() ? errno : stateFolder.error();
        const QString stateReason
            = stateFolder.isOpen() ? SystemError::describe(stateError) : stateFolder.reason();
        refuse(target, besideError, stateError, stateReason, stateFolder.path());
    }
    const QString path = PathText::display(stateFolder.path() + '/' + inStateFolder.name());
    return BackupCopy(std::move(stateFolder), std::move(inStateFolder), path, status.st_size);
}

// The first cause is the reason given: the one beside the file, when a copy was tried there.
void BackupCopy::refuse(const SaveTarget &target, int besideError, int stateError,
                        const QString &stateReason, const QByteArray &stateFolderPath)
{
    const QString stateFolder = PathText::display(stateFolderPath);
    if (besideError != 0) {
        target.fail(besideError,
                    tr("Przed zapisem trzeba zrobić kopię jego obecnej treści, a nie udało się "
                       "jej zrobić ani obok niego, ani w folderze „%1” (%2). Plik pozostał bez "
                       "zmian.")
                        .arg(stateFolder, stateReason));
    }
    target.fail(SystemError::failureNumber(stateError, SystemError::Access::Writing), stateReason,
                tr("Jego folder nie pozwala usuwać plików, więc kopię jego obecnej treści, "
                   "potrzebną przed zapisem, można zrobić tylko w folderze „%1”, a to się nie "
                   "udało. Plik pozostał bez zmian.")
                    .arg(stateFolder));
}

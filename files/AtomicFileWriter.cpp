// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/AtomicFileWriter.h"

#include "common/SystemError.h"
#include "files/BackupCopy.h"
#include "files/FileAttributes.h"
#include "files/FileBytes.h"
#include "files/SaveTarget.h"
#include "files/ScratchFile.h"
#include "files/TerminationSignals.h"
#include "files/WorkingFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool mayFallBackToOverwriting(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const WorkingFolder &folder, const QString &fileName)
    : m_folder(folder)
    , m_fileName(fileName)
{}

QString AtomicFileWriter::absoluteFilePath() const
{
    return m_folder.filePath(m_fileName);
}

void AtomicFileWriter::write(QByteArrayView bytes)
{
    // Declared first, so that it goes last: after every file below is closed or removed.
    const TerminationSignals::Deferral deferral;
    const SaveTarget target = SaveTarget::inspect(m_folder, m_fileName);
    const bool replaceable
        = !target.isLink() && (!target.exists() || target.status().st_nlink == 1);
    if (replaceable && replace(target, bytes))
        return;
    overwrite(target, bytes);
}

// False when the file exists and replacing it would lose something; the caller then overwrites
// it in place.
bool AtomicFileWriter::replace(const SaveTarget &target, QByteArrayView bytes)
{
    // Made as any new file is (the umask applies); an existing file's mode is put on it below.
    ScratchFile temporary = ScratchFile::create(m_folder.descriptor(), target.name() + '.', 0666);
    if (!temporary.isOpen()) {
        if (target.exists() && mayFallBackToOverwriting(errno))
            return false;
        target.fail(errno);
    }
    if (target.exists()) {
        const FileDescriptor earlier = target.open(O_RDONLY);
        if (!earlier.isOpen()
            || !FileAttributes::copy(earlier.get(), target.status(), temporary.descriptor())) {
            return false;
        }
    }
    if (!writeWhole(temporary.descriptor(), bytes))
        target.fail(errno);
    if (!target.isUnchanged())
        target.failChanged();
    if (::renameat(m_folder.descriptor(), temporary.name().constData(), m_folder.descriptor(),
                   target.name().constData())
        != 0) {
        target.fail(errno);
    }
    temporary.keep();
    m_folder.sync();
    return true;
}

void AtomicFileWriter::overwrite(const SaveTarget &target, QByteArrayView bytes)
{
    const SaveTarget::OpenFile file = target.openForOverwrite();
    const int descriptor = file.descriptor.get();
    BackupCopy backup = BackupCopy::make(m_folder, target, descriptor, file.status);
    if (writeWhole(descriptor, bytes)) {
        backup.remove();
        return;
    }
    const int error = errno;
    if (restore(backup, descriptor)) {
        backup.remove();
        target.fail(error, tr("Plik pozostał bez zmian."));
    }
    target.fail(error, tr("Nie udało się też przywrócić jego wcześniejszej treści (%1); jest ona "
                          "w kopii „%2”.")
                           .arg(SystemError::describe(errno), backup.path()));
}

// The bytes from the start of the file, which is then cut to their length and synced.
bool AtomicFileWriter::writeWhole(int descriptor, QByteArrayView bytes)
{
    return FileBytes::writeAll(bytes, 0, writerInto(descriptor))
           && FileBytes::endAt(descriptor, bytes.size());
}

bool AtomicFileWriter::restore(const BackupCopy &backup, int descriptor)
{
    return FileBytes::copy(backup.descriptor(), 0, backup.size(), writerInto(descriptor))
           && FileBytes::endAt(descriptor, backup.size());
}

FileBytes::PieceWriter AtomicFileWriter::writerInto(int descriptor)
{
    return [this, descriptor](QByteArrayView piece, qint64 offset) {
        return writeBytes(descriptor, piece, offset);
    };
}

qint64 AtomicFileWriter::writeBytes(int descriptor, QByteArrayView bytes, qint64 offset)
{
    return ::pwrite(descriptor, bytes.data(), size_t(bytes.size()), offset);
}

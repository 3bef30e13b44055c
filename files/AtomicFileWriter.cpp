// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/AtomicFileWriter.h"

#include "common/RuntimeFailure.h"
#include "common/SystemError.h"
#include "files/FileAttributes.h"
#include "files/FileBytes.h"
#include "files/SaveTarget.h"
#include "files/ScratchFile.h"
#include "files/TerminationSignals.h"
#include "files/WorkingFolder.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How often a name that was free at the inspection may be found taken before the save gives up.
constexpr int MostInspections = 3;

bool mayFallBackToOverwriting(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// The kernel shows the umask in /proc; umask() can only read it by changing it for a moment,
// for every thread of the program at once.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            bool valid = false;
            const uint mask
                = line.startsWith("Umask:") ? line.mid(6).trimmed().toUInt(&valid, 8) : 0;
            if (valid)
                return mode_t(mask);
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The new text's file, which nobody else can open: one without a name where the file system
// makes such files, else one with mode 600. One without a name for a file not there yet is made
// with the mode any new file gets (the umask, or the folder's default ACL): modeGiven says so.
ScratchFile createTemporary(int folder, const QByteArray &prefix, bool replacing, bool &modeGiven)
{
    ScratchFile file = ScratchFile::createUnnamed(folder, replacing ? 0600 : 0666);
    modeGiven = file.isOpen() && !replacing;
    if (!file.isOpen())
        file = ScratchFile::create(folder, prefix, 0600);
    return file;
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
    m_leftBehind.clear();
    try {
        for (int inspection = 1;; ++inspection) {
            const SaveTarget target = SaveTarget::inspect(m_folder, m_fileName);
            if (save(target, bytes) == Outcome::Saved)
                break;
            // Something took the name, free at the inspection, in the meantime.
            if (inspection == MostInspections)
                target.failChanged();
        }
    } catch (const RuntimeFailure &failure) {
        if (m_leftBehind.isEmpty())
            throw;
        throw RuntimeFailure(failure.number(),
                             failure.description() + u' '
                                 + tr("Nie udało się też usunąć pliku, który przy tym powstał: "
                                      "%1.")
                                       .arg(m_leftBehind.join(QStringLiteral(", "))));
    }
    if (!m_leftBehind.isEmpty()) {
        throw RuntimeFailure(RuntimeFailure::PermissionDenied,
                             tr("Zapisano plik „%1”, ale nie udało się usunąć pliku, który przy "
                                "tym powstał: %2.")
                                 .arg(absoluteFilePath(), m_leftBehind.join(QStringLiteral(", "))));
    }
}

AtomicFileWriter::Outcome AtomicFileWriter::save(const SaveTarget &target, QByteArrayView bytes)
{
    // A folder that lets no name go would keep a new file whose rename it refuses, and a copy
    // beside the file.
    if (m_folder.isAppendOnly())
        return overwrite(target, bytes, BackupCopy::Place::StateFolderOnly);
    const bool replaceable
        = !target.isLink() && (!target.exists() || target.status().st_nlink == 1);
    const Outcome outcome = replaceable ? replace(target, bytes) : Outcome::WriteInPlace;
    if (outcome != Outcome::WriteInPlace)
        return outcome;
    // A folder that kept the new file after refusing its rename would keep a copy as well.
    return overwrite(target, bytes,
                     m_leftBehind.isEmpty() ? BackupCopy::Place::BesideFile
                                            : BackupCopy::Place::StateFolderOnly);
}

// WriteInPlace when the file exists and replacing it would lose something, or the folder
// refuses the rename.
AtomicFileWriter::Outcome AtomicFileWriter::replace(const SaveTarget &target, QByteArrayView bytes)
{
    bool modeGiven = false;
    ScratchFile temporary
        = createTemporary(m_folder.descriptor(), target.name() + '.', target.exists(), modeGiven);
    if (!temporary.isOpen()) {
        if (target.exists() && mayFallBackToOverwriting(errno))
            return Outcome::WriteInPlace;
        target.fail(errno);
    }
    try {
        const Outcome outcome = replaceWith(temporary, target, bytes, modeGiven);
        if (outcome != Outcome::Saved)
            removeOrName(temporary);
        return outcome;
    } catch (const RuntimeFailure &) {
        removeOrName(temporary);
        throw;
    }
}

AtomicFileWriter::Outcome AtomicFileWriter::replaceWith(ScratchFile &temporary,
                                                        const SaveTarget &target,
                                                        QByteArrayView bytes, bool modeGiven)
{
    const int descriptor = temporary.descriptor();
    FileDescriptor earlier;
    if (target.exists()) {
        earlier = target.open(O_RDONLY);
        if (!earlier.isOpen() || !FileAttributes::haveSameFlags(earlier.get(), descriptor)
            || !FileAttributes::copyOwnership(target.status(), descriptor)) {
            return Outcome::WriteInPlace;
        }
    }
    if (!writeWhole(descriptor, bytes))
        target.fail(errno);
    // Only now may the new file be open to others, as the old one was.
    if (target.exists() && !FileAttributes::copy(earlier.get(), target.status(), descriptor))
        return Outcome::WriteInPlace;
    if (!target.exists() && !modeGiven && ::fchmod(descriptor, 0666 & ~currentUmask()) != 0)
        target.fail(errno);
    if (::fsync(descriptor) != 0)
        target.fail(errno);
    if (!temporary.giveName(target.name() + '.')) {
        if (mayFallBackToOverwriting(errno))
            return Outcome::WriteInPlace;
        target.fail(errno);
    }
    if (!target.isUnchanged()) {
        if (target.exists() || target.isLink())
            target.failChanged();
        return Outcome::InspectAgain;
    }
    if (!renameOver(target, temporary)) {
        if (errno == EEXIST)
            return Outcome::InspectAgain;
        if (mayFallBackToOverwriting(errno))
            return Outcome::WriteInPlace;
        target.fail(errno);
    }
    temporary.keep();
    m_folder.sync();
    return Outcome::Saved;
}

// A name that was free at the inspection is taken only while it still is, where the file
// system can tell; elsewhere the check just made has to do.
bool AtomicFileWriter::renameOver(const SaveTarget &target, const ScratchFile &temporary)
{
    const int folder = m_folder.descriptor();
    if (!target.exists()
        && ::renameat2(folder, temporary.name().constData(), folder, target.name().constData(),
                       RENAME_NOREPLACE)
               == 0) {
        return true;
    }
    if (!target.exists() && errno != EINVAL && errno != ENOSYS)
        return false;
    return ::renameat(folder, temporary.name().constData(), folder, target.name().constData()) == 0;
}

AtomicFileWriter::Outcome AtomicFileWriter::overwrite(const SaveTarget &target,
                                                      QByteArrayView bytes, BackupCopy::Place place)
{
    const SaveTarget::OpenFile file = target.openForOverwrite();
    if (!file.descriptor.isOpen())
        return Outcome::InspectAgain;
    const int descriptor = file.descriptor.get();
    BackupCopy backup = BackupCopy::make(m_folder, target, descriptor, file.status, place);
    if (writeWhole(descriptor, bytes)) {
        removeOrName(backup);
        return Outcome::Saved;
    }
    const int error = errno;
    if (restore(backup, descriptor)) {
        removeOrName(backup);
        target.fail(error, tr("Plik pozostał bez zmian."));
    }
    target.fail(error, tr("Nie udało się też przywrócić jego wcześniejszej treści (%1); jest ona "
                          "w kopii „%2”.")
                           .arg(SystemError::describe(errno), backup.path()));
}

void AtomicFileWriter::removeOrName(ScratchFile &file)
{
    if (file.remove())
        return;
    const QString reason = SystemError::describe(errno);
    m_leftBehind += QStringLiteral("„%1” (%2)").arg(m_folder.filePath(file.name()), reason);
}

void AtomicFileWriter::removeOrName(BackupCopy &copy)
{
    if (copy.remove())
        return;
    m_leftBehind += QStringLiteral("„%1” (%2)").arg(copy.path(), SystemError::describe(errno));
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

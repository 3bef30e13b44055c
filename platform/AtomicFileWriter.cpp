#include "platform/AtomicFileWriter.h"

#include "platform/RuntimeFailure.h"
#include "platform/SystemError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("AtomicFileWriter", text);
}

int failureNumberFor(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return RuntimeFailure::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return RuntimeFailure::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return RuntimeFailure::PathNotFound;
    case EISDIR:
        return RuntimeFailure::PathFileAccessError;
    default:
        return RuntimeFailure::DeviceIOError;
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const QString &fileName)
    : m_fileName(fileName)
    , m_absoluteFilePath(QFileInfo(fileName).absoluteFilePath())
{}

void AtomicFileWriter::write(QByteArrayView bytes)
{
    // QSaveFile says only "refers to a directory", without the system's words for it.
    if (QFileInfo(m_fileName).isDir()) {
        throw RuntimeFailure(
            RuntimeFailure::PathFileAccessError,
            tr("Nie można zapisać pliku „%1”: w tym miejscu jest folder.").arg(m_absoluteFilePath));
    }

    // Destroying an uncommitted QSaveFile removes its temporary file, on every way out.
    QSaveFile file(m_fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        fail(file, errno);
    errno = 0;
    if (writeBytes(file, bytes) != bytes.size())
        fail(file, errno);
    errno = 0;
    if (!file.commit())
        fail(file, errno);
}

qint64 AtomicFileWriter::writeBytes(QSaveFile &file, QByteArrayView bytes)
{
    return file.write(bytes.data(), bytes.size());
}

void AtomicFileWriter::fail(const QSaveFile &file, int error) const
{
    const QString reason = error != 0 ? SystemError::describe(error) : file.errorString();
    // QSaveFile writes where a symbolic link points; when that place fails, the reason is about
    // the link's target, which the user must be told of to make sense of it.
    const QFileInfo link(m_fileName);
    if (link.isSymLink()) {
        throw RuntimeFailure(failureNumberFor(error),
                             tr("Nie można zapisać pliku „%1”, dowiązania symbolicznego do „%2”: "
                                "%3.")
                                 .arg(m_absoluteFilePath, link.symLinkTarget(), reason));
    }
    throw RuntimeFailure(failureNumberFor(error),
                         tr("Nie można zapisać pliku „%1”: %2.").arg(m_absoluteFilePath, reason));
}

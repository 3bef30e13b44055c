// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/LineReader.h"

#include "common/RuntimeFailure.h"
#include "common/SystemError.h"
#include "files/FileDescriptor.h"
#include "files/FileKind.h"
#include "files/WorkingFolder.h"
#include "notes/Windows1250.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype PieceSize = 1 << 20;
constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t LineFeed = u'\n';

[[noreturn]] void refuseToOpen(const QString &path, int number, const QString &reason)
{
    throw RuntimeFailure(number,
                         LineReader::tr("Nie można otworzyć pliku „%1”: %2.").arg(path, reason));
}

[[noreturn]] void refuseToOpen(const QString &path, int error)
{
    refuseToOpen(path, SystemError::failureNumber(error, SystemError::Access::Reading),
                 SystemError::describe(error));
}

[[noreturn]] void refuseAsTooLarge(const QString &path, const QString &howLarge, qint64 sizeLimit)
{
    const QLocale locale;
    throw LineReader::TooLarge(
        RuntimeFailure::OutOfMemory,
        LineReader::tr("Plik „%1” jest za duży: %2, a pole tekstowe przyjmuje pliki do %3 B (%4).")
            .arg(path, howLarge, locale.toString(sizeLimit), locale.formattedDataSize(sizeLimit)));
}

[[noreturn]] void refuseToOpen(const WorkingFolder &folder, const QString &path, int error)
{
    if (folder.isGone())
        refuseToOpen(path, RuntimeFailure::PathNotFound, folder.goneReason());
    refuseToOpen(path, error);
}

void checkKindAndSize(const FileDescriptor &file, const QString &path, qint64 sizeLimit)
{
    struct stat status = {};
    if (::fstat(file.get(), &status) != 0)
        refuseToOpen(path, errno);
    if (!S_ISREG(status.st_mode)) {
        throw RuntimeFailure(RuntimeFailure::PathFileAccessError,
                             LineReader::tr("Nie można czytać „%1”: %2.")
                                 .arg(path, FileKind::describe(status.st_mode)));
    }
    if (status.st_size > sizeLimit) {
        const QLocale locale;
        refuseAsTooLarge(path,
                         LineReader::tr("ma %1 B (%2)")
                             .arg(locale.toString(qint64(status.st_size)),
                                  locale.formattedDataSize(status.st_size)),
                         sizeLimit);
    }
}

} // namespace

LineReader LineReader::open(const WorkingFolder &folder, const QString &fileName, qint64 sizeLimit)
{
    const QString path = folder.filePath(fileName);
    // QFile cannot open without blocking, so the file is opened here, its kind checked on the
    // open descriptor, and only then handed over.
    FileDescriptor descriptor(::openat(folder.descriptor(), QFile::encodeName(fileName).constData(),
                                       O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!descriptor.isOpen())
        refuseToOpen(folder, path, errno);
    checkKindAndSize(descriptor, path, sizeLimit);
    // A regular file never blocks; reads go back to the ordinary kind.
    descriptor.makeBlocking();

    auto file = std::make_unique<QFile>();
    // The pieces are large, so Qt's own buffer would only add a copy.
    if (!file->open(descriptor.get(), QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        refuseToOpen(path, RuntimeFailure::PathFileAccessError, file->errorString());
    }
    descriptor.release();
    LineReader reader(std::move(file), fileName, sizeLimit);
    reader.m_absoluteFilePath = path;
    return reader;
}

LineReader::LineReader(std::unique_ptr<QIODevice> device, const QString &fileName, qint64 sizeLimit)
    : m_device(std::move(device))
    , m_absoluteFilePath(QFileInfo(fileName).absoluteFilePath())
    , m_sizeLimit(sizeLimit)
{}

bool LineReader::atEnd()
{
    return m_position == m_buffer.size() && !readMore();
}

QString LineReader::readLine()
{
    qsizetype searchFrom = m_position;
    for (;;) {
        const qsizetype lineEnd = m_buffer.indexOf(QChar(CarriageReturn), searchFrom);
        if (lineEnd >= 0 && lineEnd + 1 < m_buffer.size()) {
            const QString line = m_buffer.sliced(m_position, lineEnd - m_position);
            m_position = lineEnd + (m_buffer.at(lineEnd + 1) == LineFeed ? 2 : 1);
            return line;
        }
        // Either no line end yet, or a CR at the end of what was read: whether an LF follows it
        // is in the next piece.
        searchFrom = lineEnd >= 0 ? lineEnd : m_buffer.size();
        const qsizetype consumed = m_position;
        if (!readMore()) {
            const QString line = m_buffer.sliced(
                m_position, (lineEnd >= 0 ? lineEnd : m_buffer.size()) - m_position);
            m_position = m_buffer.size();
            return line;
        }
        searchFrom -= consumed;
    }
}

bool LineReader::readMore()
{
    if (m_deviceAtEnd)
        return false;
    m_piece.resize(PieceSize);
    const qint64 count = m_device->read(m_piece.data(), PieceSize);
    if (count < 0) {
        const QString reason = m_device->errorString();
        m_device->close();
        m_deviceAtEnd = true;
        throw RuntimeFailure(RuntimeFailure::DeviceIOError,
                             tr("Błąd odczytu pliku „%1”: %2.").arg(m_absoluteFilePath, reason));
    }
    if (count == 0) {
        m_deviceAtEnd = true;
        m_device->close();
        return false;
    }
    m_bytesRead += count;
    if (m_bytesRead > m_sizeLimit) {
        m_device->close();
        m_deviceAtEnd = true;
        const QLocale locale;
        refuseAsTooLarge(
            m_absoluteFilePath,
            tr("przeczytano z niego już %1 B (%2) i nie widać końca")
                .arg(locale.toString(m_bytesRead), locale.formattedDataSize(m_bytesRead)),
            m_sizeLimit);
    }
    // What was already handed out goes, so the buffer holds at most one piece and a line.
    m_buffer.remove(0, m_position);
    m_position = 0;
    Windows1250::decodeAppending(QByteArrayView(m_piece.constData(), count), m_buffer);
    return true;
}

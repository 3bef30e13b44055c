// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/LineReader.h"

#include "common/HugePages.h"
#include "common/RuntimeFailure.h"
#include "common/SystemError.h"
#include "files/FileDescriptor.h"
#include "files/FileKind.h"
#include "files/WorkingFolder.h"
#include "notes/CrLfWriter.h"
#include "notes/Windows1250.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <array>
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
    for (;;) {
        // The LF of a CR LF goes with the line the CR ended.
        if (m_afterCarriageReturn && m_position < m_buffer.size()) {
            m_afterCarriageReturn = false;
            if (m_buffer.at(m_position) == LineFeed)
                ++m_position;
        }
        if (m_position < m_buffer.size())
            return false;
        if (!readMore())
            return true;
    }
}

// A CR ends its line at once: whether an LF follows is left to the next call, so that a CR at the
// end of a piece does not wait for the next piece, nor a failure to read it take the line away.
QString LineReader::readLine()
{
    if (atEnd())
        return QString();
    qsizetype searchFrom = m_position;
    qsizetype lineEnd = -1;
    while ((lineEnd = m_buffer.indexOf(QChar(CarriageReturn), searchFrom)) < 0) {
        // readMore drops what was handed out, which moves the rest to the front.
        searchFrom = m_buffer.size() - m_position;
        if (!readMore())
            break;
    }
    const qsizetype end = lineEnd >= 0 ? lineEnd : m_buffer.size();
    const QString line = m_buffer.sliced(m_position, end - m_position);
    m_position = lineEnd >= 0 ? end + 1 : end;
    m_afterCarriageReturn = lineEnd >= 0;
    ++m_linesRead;
    return line;
}

void LineReader::appendLinesWithCrLf(QString &text)
{
    reserveForRemainingLines(text);
    CrLfWriter writer(text, m_afterCarriageReturn);
    try {
        // What readLine left of its piece, then the rest of the file, decoded as it is written.
        const auto *const rest = reinterpret_cast<const char16_t *>(m_buffer.utf16());
        writer.append(rest + m_position, rest + m_buffer.size(),
                      [](char16_t character) { return character; });
        m_buffer.clear();
        m_position = 0;
        const std::array<char16_t, 256> &table = Windows1250::decodingTable();
        while (const qint64 count = readPiece()) {
            const auto *const bytes = reinterpret_cast<const uchar *>(m_piece.constData());
            writer.append(bytes, bytes + count, [&table](uchar byte) { return table[byte]; });
        }
    } catch (...) {
        writer.dropOpenLine();
        m_linesRead += writer.lineEnds();
        throw;
    }
    writer.endOpenLine();
    m_linesRead += writer.lineEnds();
    m_afterCarriageReturn = writer.afterCarriageReturn();
}

// The rest of the file is as many characters as bytes when its line ends are CR LF, and a last
// line end; the room reserved has a piece more, so that the string seldom has to move. Room never
// written to costs no memory, as its pages are never touched; so huge pages are asked for only
// where characters are expected.
void LineReader::reserveForRemainingLines(QString &text) const
{
    const qint64 unread = m_deviceAtEnd ? 0
                                        : std::clamp<qint64>(m_device->size() - m_device->pos(), 0,
                                                             m_sizeLimit - m_bytesRead);
    const qsizetype expected = 2 * (m_buffer.size() - m_position) + unread + 2;
    const qsizetype start = text.size();
    text.reserve(start + expected + std::min<qint64>(unread, PieceSize));
    HugePages::prefer(text.data() + start, expected * qsizetype(sizeof(QChar)));
}

bool LineReader::readMore()
{
    const qint64 count = readPiece();
    if (count == 0)
        return false;
    // What was already handed out goes, so the buffer holds at most one piece and a line.
    m_buffer.remove(0, m_position);
    m_position = 0;
    Windows1250::decodeAppending(QByteArrayView(m_piece.constData(), count), m_buffer);
    return true;
}

qint64 LineReader::readPiece()
{
    if (m_deviceAtEnd)
        return 0;
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
        return 0;
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
    return count;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QIODevice>
#include <QString>

#include "common/RuntimeFailure.h"

#include <limits>
#include <memory>

class WorkingFolder;

// Reads a Windows-1250 text file line by line.
//
// CR LF or a lone CR ends a line, and the line end is not part of the line. A lone LF, 0x1A and
// NUL are ordinary characters. A line end at the very end of the file does not start a further
// line, and an empty file has no lines. A line is given as soon as its line end is read: when
// reading fails right after a CR, the line it ended is still there. The file is read in large
// pieces, so that reading it whole takes time in proportion to its size.
//
// Every failure is a RuntimeFailure naming the file's full path and the system's reason. The
// file is closed on every path: when a read fails, and when the reader goes.
//
// The size limit holds on what is actually read, not only on the size the file had when it was
// opened: a file that another program keeps writing to is refused with TooLarge as soon as more
// than the limit has been read, so reading always ends and its memory stays bounded.
class LineReader
{
    Q_DECLARE_TR_FUNCTIONS(LineReader)

public:
    // A file with more bytes than the limit.
    class TooLarge : public RuntimeFailure
    {
    public:
        using RuntimeFailure::RuntimeFailure;
    };

    // Opens a file of a held folder for reading. A missing or unreadable file, one that is not a
    // regular file (a folder, a FIFO, a device) and one larger than sizeLimit bytes are refused
    // at once: the file is opened without waiting, so a FIFO nobody writes to cannot block the
    // program. A folder deleted meanwhile is named as such.
    static LineReader open(const WorkingFolder &folder, const QString &fileName, qint64 sizeLimit);

    // Reads from an open device; fileName names it in messages.
    LineReader(std::unique_ptr<QIODevice> device, const QString &fileName,
               qint64 sizeLimit = std::numeric_limits<qint64>::max());

    bool atEnd();
    QString readLine();
    // Appends the lines not read yet to the text, each followed by CR LF: the text that
    // readLine() and CR LF in a loop give, without a string per line. When a read fails
    // part-way, the text ends with the last line whose end was read before the failure.
    void appendLinesWithCrLf(QString &text);
    // The lines given so far, by either function.
    qsizetype linesRead() const { return m_linesRead; }

private:
    // Decodes the next piece of the file into the buffer; false at the end of the file.
    bool readMore();
    // Reads the next piece of the file into m_piece; gives its size, 0 at the end of the file.
    qint64 readPiece();
    void reserveForRemainingLines(QString &text) const;

    std::unique_ptr<QIODevice> m_device;
    QString m_absoluteFilePath;
    qint64 m_sizeLimit;
    qint64 m_bytesRead = 0;
    QByteArray m_piece;
    QString m_buffer;
    qsizetype m_position = 0;
    bool m_deviceAtEnd = false;
    // The last character given ended a line with a CR: an LF next completes that line end.
    bool m_afterCarriageReturn = false;
    qsizetype m_linesRead = 0;
};

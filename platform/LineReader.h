#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

class WorkingFolder;

// Reads a Windows-1250 text file line by line.
//
// CR LF or a lone CR ends a line, and the line end is not part of the line. A lone LF, 0x1A and
// NUL are ordinary characters. A line end at the very end of the file does not start a further
// line, and an empty file has no lines. The file is read in large pieces, so that reading it
// whole takes time in proportion to its size.
//
// Every failure is a RuntimeFailure naming the file's full path and the system's reason. The
// file is closed on every path: when a read fails, and when the reader goes.
class LineReader
{
public:
    // Opens a file of a held folder for reading. A missing or unreadable file, one that is not a
    // regular file (a folder, a FIFO, a device) and one larger than sizeLimit bytes are refused
    // at once: the file is opened without waiting, so a FIFO nobody writes to cannot block the
    // program. A folder deleted meanwhile is named as such.
    static LineReader open(const WorkingFolder &folder, const QString &fileName, qint64 sizeLimit);

    // Reads from an open device; fileName names it in messages.
    LineReader(std::unique_ptr<QIODevice> device, const QString &fileName);

    bool atEnd();
    QString readLine();

    // The full path that messages name.
    QString absoluteFilePath() const { return m_absoluteFilePath; }

private:
    // Decodes the next piece of the file into the buffer; false at the end of the file.
    bool readMore();

    std::unique_ptr<QIODevice> m_device;
    QString m_absoluteFilePath;
    QByteArray m_piece;
    QString m_buffer;
    qsizetype m_position = 0;
    bool m_deviceAtEnd = false;
};

#pragma once

#include <QByteArrayView>
#include <QString>

class QSaveFile;

// Replaces a file's contents all at once, through QSaveFile: the bytes go to a temporary file in
// the same folder, which is flushed and then renamed over the file. On any failure the earlier
// file stays byte for byte, no temporary file is left behind, and a RuntimeFailure names the
// file's full path and the system's reason. A file that exists keeps its permissions. A symbolic
// link stays a link: the bytes go where it points, even when nothing is there yet.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(const QString &fileName);
    virtual ~AtomicFileWriter() = default;

    void write(QByteArrayView bytes);

    QString absoluteFilePath() const { return m_absoluteFilePath; }

protected:
    // Moves the bytes into the temporary file, returning how many were written or -1 with errno
    // set. Tests put a failing disk in its place.
    virtual qint64 writeBytes(QSaveFile &file, QByteArrayView bytes);

private:
    [[noreturn]] void fail(const QSaveFile &file, int error) const;

    QString m_fileName;
    QString m_absoluteFilePath;
};

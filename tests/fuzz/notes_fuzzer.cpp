// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes as notes.txt to the reader and saves what it gives through the writer.
//
// The first input byte picks how many bytes the file gives per read, so that line ends fall on
// every kind of boundary between reads; the rest is the file.
//
// The round trip, for any file bytes B:
//   - B splits into lines at each CR LF and at each CR not followed by LF; an LF not after a CR
//     is an ordinary character. A line end at the very end starts no further line, and an empty
//     B has no lines.
//   - Reading gives the text: each line, decoded one character per byte from Windows-1250, then
//     CR LF.
//   - Saving that text gives back B with every line end made CR LF, and a CR LF added after the
//     last line when B had none there. So bytes whose every line ends with CR LF come back
//     unchanged.
//   - Reading the saved bytes gives the same text again.
// The expected bytes are worked out on the raw bytes, without the reader (ReadingRules.h).

#include "common/RuntimeFailure.h"
#include "files/AtomicFileWriter.h"
#include "files/WorkingFolder.h"
#include "notes/LineReader.h"
#include "notes/Notes.h"
#include "tests/support/FileFaults.h"
#include "tests/support/PlainTextArea.h"
#include "tests/support/ReadingRules.h"
#include "tests/support/Windows1250Text.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

bool endsEveryLineWithCrLf(QByteArrayView file)
{
    for (qsizetype at = 0; at < file.size(); ++at) {
        if (file[at] == '\r' && (at + 1 == file.size() || file[at + 1] != '\n'))
            return false;
    }
    return file.isEmpty() || file.endsWith("\r\n");
}

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
}

QString read(const QByteArray &file, qint64 chunkSize)
{
    LineReader notes(std::make_unique<ChunkedDevice>(file, ChunkedDevice::Last::End, chunkSize),
                     QStringLiteral("notes.txt"));
    PlainTextArea Text1;
    Text1.SetText(QStringLiteral("Text1"));
    Notes::ReadNotes(Text1, notes);
    return Text1.Text();
}

// tmpfs when there is one: the writer syncs every file to disk before renaming it.
const WorkingFolder &saveFolder()
{
    static const QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                          ? QStringLiteral("/dev/shm/notes-fuzzer-XXXXXX")
                                          : QDir::tempPath()
                                                + QStringLiteral("/notes-fuzzer-XXXXXX"));
    if (!folder.isValid())
        fail("no folder to save in");
    static const WorkingFolder held = WorkingFolder::open(QFile::encodeName(folder.path()));
    return held;
}

QByteArray save(const QString &text)
{
    PlainTextArea Text1;
    Text1.SetText(text);
    AtomicFileWriter notes3(saveFolder(), QStringLiteral("notes3.txt"));
    Notes::SaveNotes(Text1, notes3);
    QFile saved(saveFolder().filePath(QStringLiteral("notes3.txt")));
    if (!saved.open(QIODevice::ReadOnly))
        fail("notes3.txt cannot be read back");
    return saved.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qint64 chunkSize = 1 + data[0] % 32;
    const QByteArray file(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    try {
        const QByteArray expectedBytes = withCrLfLineEnds(file);
        const QString text = read(file, chunkSize);
        if (text != windows1250Text(expectedBytes))
            fail("the text read is not the lines each followed by CR LF");
        const QByteArray saved = save(text);
        if (saved != expectedBytes)
            fail("the saved bytes are not the file with CR LF line ends");
        if (endsEveryLineWithCrLf(file) && saved != file)
            fail("a file with CR LF after every line did not come back unchanged");
        if (read(saved, chunkSize) != text)
            fail("reading the saved file gave another text");
    } catch (const RuntimeFailure &failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        fail("a read or save of an ordinary file failed");
    }
    return 0;
}

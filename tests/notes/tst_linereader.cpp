// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RuntimeFailure.h"
#include "files/WorkingFolder.h"
#include "notes/LineReader.h"

#include "tests/support/FileFaults.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class LineReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void splitsLines_data();
    void splitsLines();
    void appendsEachLineWithCrLf_data();
    void appendsEachLineWithCrLf();
    void appendsTheLinesLeftAfterReadLine_data();
    void appendsTheLinesLeftAfterReadLine();
    void readErrorKeepsTheLinesBeforeIt_data();
    void readErrorKeepsTheLinesBeforeIt();
    void readsAFileOnDisk();
    void refusesToOpen_data();
    void refusesToOpen();
    void doesNotBlockOnAFifo();
    void limitHoldsOnWhatIsRead_data();
    void limitHoldsOnWhatIsRead();
    void endlessFileEndsInBoundedMemory_data();
    void endlessFileEndsInBoundedMemory();

private:
    // A fresh current folder for every test row.
    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

QStringList readAll(LineReader &reader)
{
    QStringList lines;
    while (!reader.atEnd())
        lines += reader.readLine();
    return lines;
}

QStringList readAll(const QByteArray &bytes)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    LineReader reader(std::move(buffer), QStringLiteral("notes.txt"));
    return readAll(reader);
}

QString appendAll(LineReader &reader)
{
    QString text;
    reader.appendLinesWithCrLf(text);
    return text;
}

QString withCrLfAfterEach(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

// How the device hands out the bytes: a file, whose size the reader can ask, or a pipe giving
// so many bytes per read that line ends fall across the boundaries between reads.
enum class Source { File, OneByteReads, TwoByteReads, ThreeByteReads };

std::unique_ptr<QIODevice> deviceFor(const QByteArray &bytes, Source source,
                                     ChunkedDevice::Last last = ChunkedDevice::Last::End)
{
    if (source == Source::File && last == ChunkedDevice::Last::End) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }
    const qint64 chunkSize = source == Source::File ? std::numeric_limits<qint64>::max()
                                                    : qint64(source) - qint64(Source::File);
    return std::make_unique<ChunkedDevice>(bytes, last, chunkSize);
}

constexpr qsizetype PieceSize = 1 << 20;

} // namespace

void LineReaderTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void LineReaderTest::splitsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const QString longLine(PieceSize + 10, u'x');
    QTest::newRow("empty file has no lines") << QByteArray() << QStringList();
    QTest::newRow("CR LF after every line") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("no line end after the last line")
        << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("lone LF is part of the line") << QByteArray("a\nb") << QStringList{"a\nb"};
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb") << QStringList{"a", "b"};
    QTest::newRow("CR at the very end") << QByteArray("a\r") << QStringList{"a"};
    QTest::newRow("LF CR is two line ends' worth of one")
        << QByteArray("a\n\rb") << QStringList{"a\n", "b"};
    QTest::newRow("CR CR LF is an empty line")
        << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("empty line in the middle")
        << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("NUL and 0x1A are ordinary") << QByteArray("a\0b\x1a"
                                                             "c\r\n\x1a",
                                                             8)
                                               << QStringList{QString::fromLatin1("a\0b\x1a"
                                                                                  "c",
                                                                                  5),
                                                              QStringLiteral("\x1a")};
    QTest::newRow("Windows-1250 letters")
        << QByteArray("\x9c\xb3\xbf\xea") << QStringList{QStringLiteral("śłżę")};
    QTest::newRow("CR LF split between two pieces")
        << QByteArray(PieceSize - 1, 'x') + "\r\ny"
        << QStringList{QString(PieceSize - 1, u'x'), "y"};
    QTest::newRow("lone CR at the end of a piece")
        << QByteArray(PieceSize - 1, 'x') + "\ry" << QStringList{QString(PieceSize - 1, u'x'), "y"};
    QTest::newRow("CR as the last byte of a full piece")
        << QByteArray(PieceSize - 1, 'x') + "\r" << QStringList{QString(PieceSize - 1, u'x')};
    QTest::newRow("line longer than a piece")
        << "a\r\n" + longLine.toLatin1() + "\r\nb" << QStringList{"a", longLine, "b"};
}

void LineReaderTest::splitsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(readAll(bytes), lines);
}

// The same files read all at once give the same lines, however the reads fall.
void LineReaderTest::appendsEachLineWithCrLf_data()
{
    splitsLines_data();
    const QByteArray loneCarriageReturns(PieceSize + 10, '\r');
    QTest::newRow("lone CRs make the text larger than the file")
        << loneCarriageReturns << QStringList(QList<QString>(loneCarriageReturns.size()));
}

void LineReaderTest::appendsEachLineWithCrLf()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    for (const Source source : {Source::File, Source::OneByteReads, Source::ThreeByteReads}) {
        LineReader reader(deviceFor(bytes, source), QStringLiteral("notes.txt"));
        QString text = QStringLiteral("before ");
        reader.appendLinesWithCrLf(text);
        QCOMPARE(text, QStringLiteral("before ") + withCrLfAfterEach(lines));
        QCOMPARE(reader.linesRead(), lines.size());
        QVERIFY(reader.atEnd());
    }
}

void LineReaderTest::appendsTheLinesLeftAfterReadLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("linesFirst");
    QTest::addColumn<QString>("rest");
    QTest::newRow("lines after the first") << QByteArray("a\r\nb\r\nc") << 1 << "b\r\nc\r\n";
    QTest::newRow("LF of the pair that ended the first line")
        << QByteArray("a\r\nb") << 1 << "b\r\n";
    QTest::newRow("lone CR ended the first line") << QByteArray("a\r\rb") << 1 << "\r\nb\r\n";
    QTest::newRow("nothing left") << QByteArray("a\r\n") << 1 << "";
    QTest::newRow("last line without a line end left") << QByteArray("a\r\nb") << 1 << "b\r\n";
}

void LineReaderTest::appendsTheLinesLeftAfterReadLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, linesFirst);
    QFETCH(QString, rest);
    for (const Source source : {Source::File, Source::OneByteReads, Source::TwoByteReads}) {
        LineReader reader(deviceFor(bytes, source), QStringLiteral("notes.txt"));
        for (int line = 0; line < linesFirst; ++line)
            reader.readLine();
        QString text;
        reader.appendLinesWithCrLf(text);
        QCOMPARE(text, rest);
        QCOMPARE(reader.linesRead(), linesFirst + rest.count(QStringLiteral("\r\n")));
    }
}

void LineReaderTest::readErrorKeepsTheLinesBeforeIt_data()
{
    QTest::addColumn<QByteArray>("bytesBeforeFailure");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("failure inside a line")
        << QByteArray("a\r\nb\r\nniedoko") << QStringList{"a", "b"};
    QTest::newRow("failure right after a line end")
        << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    // Whatever the next byte is, the CR has ended the line.
    QTest::newRow("failure right after a CR") << QByteArray("a\r\nb\r") << QStringList{"a", "b"};
    QTest::newRow("failure inside the first line") << QByteArray("niedoko") << QStringList();
    QTest::newRow("failure at once") << QByteArray() << QStringList();
    QTest::newRow("failure in a later piece")
        << QByteArray(PieceSize + 5, 'x') + "\r\ny" << QStringList{QString(PieceSize + 5, u'x')};
}

void LineReaderTest::readErrorKeepsTheLinesBeforeIt()
{
    QFETCH(QByteArray, bytesBeforeFailure);
    QFETCH(QStringList, lines);
    const auto checkFailure = [this](const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), int(RuntimeFailure::DeviceIOError));
        QVERIFY(failure.description().contains(m_folder->filePath(QStringLiteral("notes.txt"))));
        QVERIFY(failure.description().contains(QStringLiteral("Input/output error")));
    };
    for (const Source source : {Source::File, Source::OneByteReads, Source::TwoByteReads}) {
        auto piecewise = deviceFor(bytesBeforeFailure, source, ChunkedDevice::Last::Failure);
        const auto &chunked = static_cast<const ChunkedDevice &>(*piecewise);
        LineReader reader(std::move(piecewise), QStringLiteral("notes.txt"));
        QString text;
        try {
            reader.appendLinesWithCrLf(text);
            QFAIL("the read error was not reported");
        } catch (const RuntimeFailure &failure) {
            checkFailure(failure);
        }
        QCOMPARE(text, withCrLfAfterEach(lines));
        QCOMPARE(reader.linesRead(), lines.size());
        QVERIFY2(chunked.wasClosed(), "the file stays open after the failure");
    }

    auto device = deviceFor(bytesBeforeFailure, Source::File, ChunkedDevice::Last::Failure);
    const auto &chunked = static_cast<const ChunkedDevice &>(*device);
    LineReader lineByLine(std::move(device), QStringLiteral("notes.txt"));
    QStringList linesRead;
    try {
        while (!lineByLine.atEnd())
            linesRead += lineByLine.readLine();
        QFAIL("the read error was not reported");
    } catch (const RuntimeFailure &failure) {
        checkFailure(failure);
    }
    QCOMPARE(linesRead, lines);
    QVERIFY2(chunked.wasClosed(), "the file stays open after the failure");
}

void LineReaderTest::readsAFileOnDisk()
{
    QFile file(QStringLiteral("notes.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("pierwszy\r\ndrugi \xb3\r\n");
    file.close();
    LineReader reader
        = LineReader::open(WorkingFolder::current(), QStringLiteral("notes.txt"), 1 << 20);
    QCOMPARE(readAll(reader), (QStringList{"pierwszy", QStringLiteral("drugi ł")}));
}

void LineReaderTest::refusesToOpen_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << QStringLiteral("notes.txt") << QByteArray() << qint64(100)
                                  << int(RuntimeFailure::FileNotFound)
                                  << QStringLiteral("nie ma takiego pliku ani folderu");
    QTest::newRow("folder") << QStringLiteral("folder") << QByteArray() << qint64(100)
                            << int(RuntimeFailure::PathFileAccessError)
                            << QStringLiteral("to folder, a nie plik");
    QTest::newRow("path through a file")
        << QStringLiteral("plain/notes.txt") << QByteArray() << qint64(100)
        << int(RuntimeFailure::PathNotFound) << QStringLiteral("część ścieżki nie jest folderem");
    QTest::newRow("link to a device")
        << QStringLiteral("device") << QByteArray() << qint64(100)
        << int(RuntimeFailure::PathFileAccessError) << QStringLiteral("to urządzenie");
    QTest::newRow("one byte over the limit")
        << QStringLiteral("notes.txt") << QByteArray(101, 'a') << qint64(100)
        << int(RuntimeFailure::OutOfMemory) << QStringLiteral("ma 101 B");
}

void LineReaderTest::refusesToOpen()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, contents);
    QFETCH(qint64, sizeLimit);
    QFETCH(int, number);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    QFile plain(QStringLiteral("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), QStringLiteral("device")));
    if (!contents.isEmpty()) {
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    try {
        LineReader::open(WorkingFolder::current(), fileName, sizeLimit);
        QFAIL("the file was opened");
    } catch (const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), number);
        QVERIFY2(failure.description().contains(QFileInfo(fileName).absoluteFilePath()),
                 qPrintable(failure.description()));
        QVERIFY2(failure.description().contains(reason), qPrintable(failure.description()));
    }
}

void LineReaderTest::doesNotBlockOnAFifo()
{
    const UnattendedFifo fifo(m_folder->filePath(QStringLiteral("notes.txt")));
    QVERIFY(fifo.created());
    try {
        LineReader::open(WorkingFolder::current(), QStringLiteral("notes.txt"), 100);
        QFAIL("the FIFO was opened for reading");
    } catch (const RuntimeFailure &failure) {
        QVERIFY2(failure.description().contains(QStringLiteral("potok")),
                 qPrintable(failure.description()));
    }
    QVERIFY2(!fifo.hadToFreeTheReader(), "opening the FIFO blocked");
}

void LineReaderTest::limitHoldsOnWhatIsRead_data()
{
    QTest::addColumn<bool>("allAtOnce");
    QTest::addColumn<QByteArray>("atOpening");
    QTest::addColumn<QByteArray>("addedAfterOpening");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::addColumn<QStringList>("lines");

    for (const bool allAtOnce : {false, true}) {
        const auto row = [allAtOnce](const char *name) -> QTestData & {
            return QTest::addRow("%s, %s", name, allAtOnce ? "all at once" : "line by line")
                   << allAtOnce;
        };
        row("grown one byte past the limit")
            << QByteArray("a\r\n") << QByteArray(98, 'b') << qint64(100) << QStringList();
        row("grown past the limit in a later piece")
            << QByteArray(10, 'a') << QByteArray(PieceSize + 10, 'b') << qint64(PieceSize)
            << QStringList();
        row("grown up to the limit exactly") << QByteArray("a\r\n") << QByteArray(97, 'b')
                                             << qint64(100) << QStringList{"a", QString(97, u'b')};
        row("shrunk after opening") << QByteArray(100, 'a') << QByteArray() << qint64(100)
                                    << QStringList{QString(100, u'a')};
    }
}

// fstat sees the size at opening; what the reader must refuse is what it reads afterwards.
void LineReaderTest::limitHoldsOnWhatIsRead()
{
    QFETCH(bool, allAtOnce);
    QFETCH(QByteArray, atOpening);
    QFETCH(QByteArray, addedAfterOpening);
    QFETCH(qint64, sizeLimit);
    QFETCH(QStringList, lines);
    QFile file(QStringLiteral("notes.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(atOpening), atOpening.size());
    QVERIFY(file.flush());

    LineReader reader
        = LineReader::open(WorkingFolder::current(), QStringLiteral("notes.txt"), sizeLimit);
    QCOMPARE(file.write(addedAfterOpening), addedAfterOpening.size());
    file.close();

    const bool refused = lines.isEmpty();
    try {
        QCOMPARE(allAtOnce ? appendAll(reader) : withCrLfAfterEach(readAll(reader)),
                 withCrLfAfterEach(lines));
        QVERIFY2(!refused, "a file grown past the limit was read whole");
    } catch (const LineReader::TooLarge &failure) {
        QVERIFY2(refused, qPrintable(failure.description()));
        QCOMPARE(failure.number(), int(RuntimeFailure::OutOfMemory));
        QVERIFY2(failure.description().contains(m_folder->filePath(QStringLiteral("notes.txt"))),
                 qPrintable(failure.description()));
        QVERIFY2(failure.description().contains(QStringLiteral("przeczytano z niego już")),
                 qPrintable(failure.description()));
    }
}

void LineReaderTest::endlessFileEndsInBoundedMemory_data()
{
    QTest::addColumn<bool>("allAtOnce");
    QTest::newRow("line by line") << false;
    QTest::newRow("all at once") << true;
}

void LineReaderTest::endlessFileEndsInBoundedMemory()
{
    QFETCH(bool, allAtOnce);
    auto device = std::make_unique<EndlessDevice>();
    const EndlessDevice &endless = *device;
    constexpr qint64 sizeLimit = 3 * PieceSize + 5;
    LineReader reader(std::move(device), QStringLiteral("notes.txt"), sizeLimit);
    QVERIFY_THROWS_EXCEPTION(LineReader::TooLarge, {
        if (allAtOnce)
            appendAll(reader);
        while (!reader.atEnd())
            reader.readLine();
    });
    QVERIFY(reader.linesRead() > 0);
    QVERIFY2(endless.bytesHandedOut() <= sizeLimit + PieceSize,
             qPrintable(QString::number(endless.bytesHandedOut())));
    QVERIFY2(!endless.isOpen(), "the device stays open after the refusal");
}

QTEST_GUILESS_MAIN(LineReaderTest)
#include "tst_linereader.moc"

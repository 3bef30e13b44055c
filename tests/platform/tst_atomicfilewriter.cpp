#include "platform/AtomicFileWriter.h"
#include "platform/RuntimeFailure.h"

#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"

#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class AtomicFileWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void replacesTheWholeFile_data();
    void replacesTheWholeFile();
    void keepsPermissions_data();
    void keepsPermissions();
    void failureKeepsTheEarlierFile_data();
    void failureKeepsTheEarlierFile();
    void fullDiskKeepsTheEarlierFile();

private:
    // A fresh current folder for every test row.
    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

const QByteArray EarlierBytes = "earlier notes\r\nkept byte for byte";

// Writes part of the bytes and then fails as a full disk does.
class FullDiskWriter : public AtomicFileWriter
{
public:
    using AtomicFileWriter::AtomicFileWriter;

protected:
    qint64 writeBytes(QSaveFile &file, QByteArrayView bytes) override
    {
        file.write(bytes.first(bytes.size() / 2).data(), bytes.size() / 2);
        errno = ENOSPC;
        return -1;
    }
};

} // namespace

void AtomicFileWriterTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void AtomicFileWriterTest::replacesTheWholeFile_data()
{
    QTest::addColumn<bool>("earlierFile");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("new file") << false << QByteArray("Text1");
    QTest::newRow("shorter text over a longer file") << true << QByteArray("ab");
    QTest::newRow("empty text gives an empty file") << true << QByteArray();
    QTest::newRow("every byte value") << true << [] {
        QByteArray bytes;
        for (int byte = 0; byte < 256; ++byte)
            bytes += char(byte);
        return bytes;
    }();
}

void AtomicFileWriterTest::replacesTheWholeFile()
{
    QFETCH(bool, earlierFile);
    QFETCH(QByteArray, bytes);
    if (earlierFile)
        writeFile(QStringLiteral("notes3.txt"), EarlierBytes);
    AtomicFileWriter(QStringLiteral("notes3.txt")).write(bytes);
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), bytes);
    QCOMPARE(entriesOf(m_folder->path()), QStringList{"notes3.txt"});
}

void AtomicFileWriterTest::keepsPermissions_data()
{
    QTest::addColumn<int>("permissions");
    QTest::newRow("owner only") << 0600;
    QTest::newRow("group may read") << 0640;
    QTest::newRow("everybody may write") << 0666;
}

void AtomicFileWriterTest::keepsPermissions()
{
    QFETCH(int, permissions);
    writeFile(QStringLiteral("notes3.txt"), EarlierBytes);
    const QByteArray path = QFile::encodeName(m_folder->filePath(QStringLiteral("notes3.txt")));
    QCOMPARE(::chmod(path.constData(), mode_t(permissions)), 0);
    AtomicFileWriter(QStringLiteral("notes3.txt")).write("new");
    struct stat status = {};
    QCOMPARE(::stat(path.constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 0777), permissions);
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), QByteArray("new"));
}

void AtomicFileWriterTest::failureKeepsTheEarlierFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder in the way")
        << QStringLiteral("folder") << false << int(RuntimeFailure::PathFileAccessError)
        << QStringLiteral("w tym miejscu jest folder");
    QTest::newRow("path through a regular file")
        << QStringLiteral("notes3.txt/notes3.txt") << false << int(RuntimeFailure::PathNotFound)
        << QStringLiteral("część ścieżki nie jest folderem");
    QTest::newRow("missing folder")
        << QStringLiteral("missing/notes3.txt") << false << int(RuntimeFailure::PathNotFound)
        << QStringLiteral("nie ma takiego pliku ani folderu");
    QTest::newRow("disk full while writing")
        << QStringLiteral("notes3.txt") << true << int(RuntimeFailure::DiskFull)
        << QStringLiteral("brak miejsca na dysku");
}

void AtomicFileWriterTest::failureKeepsTheEarlierFile()
{
    QFETCH(QString, fileName);
    QFETCH(bool, fullDisk);
    QFETCH(int, number);
    QFETCH(QString, reason);
    writeFile(QStringLiteral("notes3.txt"), EarlierBytes);
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    writeFile(QStringLiteral("folder/inside.txt"), EarlierBytes);
    const QStringList entriesBefore = entriesOf(m_folder->path());

    FullDiskWriter failingWriter(fileName);
    AtomicFileWriter writer(fileName);
    try {
        (fullDisk ? failingWriter : writer).write(QByteArray(100000, 'n'));
        QFAIL("the write was reported as done");
    } catch (const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), number);
        QVERIFY2(failure.description().contains(QFileInfo(fileName).absoluteFilePath()),
                 qPrintable(failure.description()));
        QVERIFY2(failure.description().contains(reason), qPrintable(failure.description()));
    }
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), EarlierBytes);
    QCOMPARE(contentsOf(QStringLiteral("folder/inside.txt")), EarlierBytes);
    QCOMPARE(entriesOf(m_folder->path()), entriesBefore);
    QCOMPARE(entriesOf(QStringLiteral("folder")), QStringList{"inside.txt"});
}

// A real full disk: a small tmpfs, which only root can mount.
void AtomicFileWriterTest::fullDiskKeepsTheEarlierFile()
{
    QVERIFY(QDir().mkdir(QStringLiteral("small")));
    const TmpfsMount disk(m_folder->filePath(QStringLiteral("small")), "size=256k");
    if (!disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    writeFile(QStringLiteral("small/notes3.txt"), EarlierBytes);
    try {
        AtomicFileWriter(QStringLiteral("small/notes3.txt")).write(QByteArray(1 << 20, 'n'));
        QFAIL("the write was reported as done");
    } catch (const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), int(RuntimeFailure::DiskFull));
        QVERIFY2(failure.description().contains(QStringLiteral("brak miejsca na dysku")),
                 qPrintable(failure.description()));
    }
    QCOMPARE(contentsOf(QStringLiteral("small/notes3.txt")), EarlierBytes);
    QCOMPARE(entriesOf(QStringLiteral("small")), QStringList{"notes3.txt"});
}

QTEST_GUILESS_MAIN(AtomicFileWriterTest)
#include "tst_atomicfilewriter.moc"

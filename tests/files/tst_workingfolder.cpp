// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RuntimeFailure.h"
#include "files/AtomicFileWriter.h"
#include "files/PathText.h"
#include "files/WorkingFolder.h"
#include "notes/LineReader.h"

#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

class WorkingFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pathTextShowsEveryByte_data();
    void pathTextShowsEveryByte();
    void readsAndSavesWhereverTheFolderIs_data();
    void readsAndSavesWhereverTheFolderIs();
    void deletedFolderIsNamedAsSuch_data();
    void deletedFolderIsNamedAsSuch();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

const QByteArray Notes = "pierwszy\r\ndrugi \xb3\r\n";
const QByteArray Latin2Name = "latin2-\xb1\xe6\xea";

QStringList readAll(LineReader &reader)
{
    QStringList lines;
    while (!reader.atEnd())
        lines += reader.readLine();
    return lines;
}

// Files by their byte paths: Qt's file classes take a QString, which cannot hold a name that is
// not UTF-8.
void writeAt(const QByteArray &path, const QByteArray &bytes)
{
    std::FILE *file = std::fopen(path.constData(), "wb");
    QVERIFY2(file != nullptr, path.constData());
    QCOMPARE(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file), size_t(bytes.size()));
    QCOMPARE(std::fclose(file), 0);
}

QByteArray contentsAt(const QByteArray &path)
{
    QByteArray bytes;
    if (std::FILE *file = std::fopen(path.constData(), "rb")) {
        char buffer[4096];
        for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, qsizetype(count));
        std::fclose(file);
        return bytes;
    }
    return "<unreadable>";
}

QList<QByteArray> entriesAt(const QByteArray &path)
{
    QList<QByteArray> names;
    if (DIR *folder = ::opendir(path.constData())) {
        while (const dirent *entry = ::readdir(folder)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QString failureOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const RuntimeFailure &failure) {
        return failure.description();
    }
    return {};
}

} // namespace

void WorkingFolderTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

// QTemporaryDir removes by QString paths, which miss a folder whose name is not UTF-8.
void WorkingFolderTest::cleanup()
{
    const QByteArray latin2 = QFile::encodeName(m_folder->path()) + '/' + Latin2Name;
    for (const QByteArray &name : entriesAt(latin2))
        ::unlink((latin2 + '/' + name).constData());
    ::rmdir(latin2.constData());
}

void WorkingFolderTest::pathTextShowsEveryByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ASCII") << QByteArray("/home/ala/notatki")
                           << QStringLiteral("/home/ala/notatki");
    QTest::newRow("Polish letters in UTF-8")
        << QByteArray("/home/ala/zażółć") << QStringLiteral("/home/ala/zażółć");
    QTest::newRow("emoji in UTF-8")
        << QByteArray("/tmp/\xf0\x9f\x98\x80") << QStringLiteral("/tmp/😀");
    QTest::newRow("Latin-2 bytes")
        << QByteArray("/tmp/") + Latin2Name << QStringLiteral("/tmp/latin2-\\xB1\\xE6\\xEA");
    QTest::newRow("lone continuation byte") << QByteArray("a\x80z") << QStringLiteral("a\\x80z");
    QTest::newRow("sequence cut short at the end")
        << QByteArray("a\xc5") << QStringLiteral("a\\xC5");
    QTest::newRow("sequence cut short by ASCII")
        << QByteArray("\xe2\x82z") << QStringLiteral("\\xE2\\x82z");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\\xC0\\xAF");
    QTest::newRow("overlong three bytes")
        << QByteArray("\xe0\x80\xaf") << QStringLiteral("\\xE0\\x80\\xAF");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QStringLiteral("\\xED\\xA0\\x80");
    QTest::newRow("above U+10FFFF")
        << QByteArray("\xf4\x90\x80\x80") << QStringLiteral("\\xF4\\x90\\x80\\x80");
    QTest::newRow("highest code point")
        << QByteArray("\xf4\x8f\xbf\xbf") << QString::fromUcs4(U"\U0010FFFF");
}

void WorkingFolderTest::pathTextShowsEveryByte()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(PathText::display(bytes), text);
    QVERIFY(!PathText::display(bytes).contains(QChar::ReplacementCharacter));
}

// The folder is held by a name that is not UTF-8, or renamed after it was taken: notes.txt is
// read from it and notes3.txt saved into it all the same, and messages name it where it is now.
void WorkingFolderTest::readsAndSavesWhereverTheFolderIs_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("renamedTo");
    QTest::addColumn<QString>("shownName");
    QTest::newRow("a name in Latin-2")
        << Latin2Name << QByteArray() << QStringLiteral("latin2-\\xB1\\xE6\\xEA");
    QTest::newRow("renamed while held")
        << QByteArray("notatki") << QByteArray("przeniesione") << QStringLiteral("przeniesione");
    QTest::newRow("renamed to a name in Latin-2")
        << QByteArray("notatki") << Latin2Name << QStringLiteral("latin2-\\xB1\\xE6\\xEA");
}

void WorkingFolderTest::readsAndSavesWhereverTheFolderIs()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, renamedTo);
    QFETCH(QString, shownName);
    const QByteArray top = QFile::encodeName(m_folder->path()) + '/';
    QCOMPARE(::mkdir((top + name).constData(), 0755), 0);
    writeAt(top + name + "/notes.txt", Notes);
    // Held by a path of its own, not through the current folder.
    QVERIFY(QDir::setCurrent(QDir::tempPath()));
    const WorkingFolder folder = WorkingFolder::open(top + name);
    const QByteArray now = top + (renamedTo.isEmpty() ? name : renamedTo);
    if (!renamedTo.isEmpty())
        QCOMPARE(std::rename((top + name).constData(), now.constData()), 0);

    const QString shownFolder = m_folder->path() + u'/' + shownName;
    QCOMPARE(folder.path(), shownFolder);
    LineReader reader = LineReader::open(folder, QStringLiteral("notes.txt"), 1 << 20);
    QCOMPARE(readAll(reader), (QStringList{"pierwszy", QStringLiteral("drugi ł")}));
    AtomicFileWriter(folder, QStringLiteral("notes3.txt")).write(Notes);
    QCOMPARE(contentsAt(now + "/notes3.txt"), Notes);

    const QString message
        = failureOf([&folder] { LineReader::open(folder, QStringLiteral("brak.txt"), 1 << 20); });
    QVERIFY2(message.contains(shownFolder + QStringLiteral("/brak.txt")), qPrintable(message));
    QVERIFY2(!message.contains(QChar::ReplacementCharacter), qPrintable(message));
    QCOMPARE(entriesAt(now), (QList<QByteArray>{"notes.txt", "notes3.txt"}));
}

void WorkingFolderTest::deletedFolderIsNamedAsSuch_data()
{
    QTest::addColumn<bool>("saving");
    QTest::addColumn<bool>("deletedBeforeStart");
    QTest::newRow("Czytaj") << false << false;
    QTest::newRow("Zapisz") << true << false;
    QTest::newRow("Zapisz in a folder deleted before the program started") << true << true;
}

void WorkingFolderTest::deletedFolderIsNamedAsSuch()
{
    QFETCH(bool, saving);
    QFETCH(bool, deletedBeforeStart);
    QVERIFY(QDir().mkdir(QStringLiteral("notatki")));
    const QString held = m_folder->filePath(QStringLiteral("notatki"));
    if (deletedBeforeStart) {
        QVERIFY(QDir::setCurrent(held));
        QVERIFY(QDir().rmdir(held));
    }
    const WorkingFolder folder = deletedBeforeStart ? WorkingFolder::current()
                                                    : WorkingFolder::open(QFile::encodeName(held));
    QCOMPARE(folder.isGone(), deletedBeforeStart);
    if (!deletedBeforeStart)
        QVERIFY(QDir().rmdir(held));
    QVERIFY(folder.isGone());

    int number = 0;
    QString message;
    try {
        if (saving)
            AtomicFileWriter(folder, QStringLiteral("notes3.txt")).write("tekst");
        else
            LineReader::open(folder, QStringLiteral("notes.txt"), 1 << 20);
    } catch (const RuntimeFailure &failure) {
        number = failure.number();
        message = failure.description();
    }
    QCOMPARE(number, int(RuntimeFailure::PathNotFound));
    QVERIFY2(message.contains(
                 held + (saving ? QStringLiteral("/notes3.txt") : QStringLiteral("/notes.txt"))),
             qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("folder „%1”, w którym uruchomiono program, już nie "
                                             "istnieje")
                                  .arg(held)),
             qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("(deleted)")), qPrintable(message));
    QCOMPARE(entriesOf(m_folder->path()), QStringList());
}

QTEST_GUILESS_MAIN(WorkingFolderTest)
#include "tst_workingfolder.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/Notes.h"

#include "app/Form1.h"
#include "common/RuntimeFailure.h"
#include "controls/CommandButton.h"
#include "files/WorkingFolder.h"
#include "notes/LineReader.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ReadNotesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fileBytesBecomeText_data();
    void fileBytesBecomeText();
    void readingTwiceGivesTheTextOnce();
    void readsIntoADisabledArea();
    void failureToOpenKeepsTheText_data();
    void failureToOpenKeepsTheText();
    void readErrorKeepsTheLinesReadSoFar_data();
    void readErrorKeepsTheLinesReadSoFar();
    void growingFileKeepsTheText();
    void oneUndoBringsBackTheEarlierText();
    void showsTheBusyCursorWhileReading();
    void windowReportsAMissingFile();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

const QString UnsavedText = QStringLiteral("niezapisany tekst\r\nużytkownika");

const QString NotesFile = QStringLiteral("notes.txt");

// Records the cursor the program shows while the device is read.
class CursorWatchingDevice : public FailingDevice
{
public:
    using FailingDevice::FailingDevice;
    std::optional<Qt::CursorShape> shapeWhileReading;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        shapeWhileReading = cursor ? cursor->shape() : Qt::ArrowCursor;
        return FailingDevice::readData(data, maxSize);
    }
};

} // namespace

void ReadNotesTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void ReadNotesTest::fileBytesBecomeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF after each line") << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n";
    QTest::newRow("last line without a line end gets one") << QByteArray("a\r\nb") << "a\r\nb\r\n";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("LF-only line ends make one line") << QByteArray("a\nb") << "a\nb\r\n";
    QTest::newRow("lone CR becomes CR LF") << QByteArray("a\rb") << "a\r\nb\r\n";
    QTest::newRow("empty line in the middle stays")
        << QByteArray("a\r\n\r\nb\r\n") << "a\r\n\r\nb\r\n";
    QTest::newRow("Polish letters") << QByteArray("\x9c\xb3\xbf\xea") << QStringLiteral("śłżę\r\n");
    QTest::newRow("0x1A and NUL are kept")
        << QByteArray("a\x1a\0b", 4) << QString::fromLatin1("a\x1a\0b\r\n", 6);
    QTest::newRow("undefined bytes are kept")
        << QByteArray("\x81\x83\x88\x90\x98") << QString::fromLatin1("\x81\x83\x88\x90\x98\r\n");
    QTest::newRow("LF just before a CR LF stays in the line")
        << QByteArray("x\n\r\ny\n") << "x\n\r\ny\n\r\n";
}

void ReadNotesTest::fileBytesBecomeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    writeFile(NotesFile, bytes);
    TextBox Text1;
    Text1.setInitialText(UnsavedText);
    Notes::ReadNotes(Text1, WorkingFolder::current());
    QCOMPARE(Text1.Text(), text);
}

void ReadNotesTest::readingTwiceGivesTheTextOnce()
{
    writeFile(NotesFile, "jeden\r\ndwa");
    TextBox Text1;
    Notes::ReadNotes(Text1, WorkingFolder::current());
    Notes::ReadNotes(Text1, WorkingFolder::current());
    QCOMPARE(Text1.Text(), QStringLiteral("jeden\r\ndwa\r\n"));
}

void ReadNotesTest::readsIntoADisabledArea()
{
    writeFile(NotesFile, "tylko do odczytu");
    TextBox Text1;
    Text1.SetEnabled(false);
    Notes::ReadNotes(Text1, WorkingFolder::current());
    QCOMPARE(Text1.Text(), QStringLiteral("tylko do odczytu\r\n"));
}

void ReadNotesTest::failureToOpenKeepsTheText_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << "missing" << int(RuntimeFailure::FileNotFound)
                                  << QStringLiteral("nie ma takiego pliku ani folderu");
    QTest::newRow("larger than the limit")
        << "too large" << int(RuntimeFailure::OutOfMemory)
        << QStringLiteral("za duży: ma %1 B").arg(QLocale().toString(Notes::LargestNotesFile + 1));
}

void ReadNotesTest::failureToOpenKeepsTheText()
{
    QFETCH(QString, what);
    QFETCH(int, number);
    QFETCH(QString, reason);
    if (what == "too large") {
        // A sparse file: its size costs no disk space.
        QFile file(QStringLiteral("notes.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(Notes::LargestNotesFile + 1));
    }
    TextBox Text1;
    Text1.setInitialText(UnsavedText);
    try {
        Notes::ReadNotes(Text1, WorkingFolder::current());
        QFAIL("the failure was not reported");
    } catch (const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), number);
        QVERIFY2(failure.description().contains(m_folder->filePath(QStringLiteral("notes.txt"))),
                 qPrintable(failure.description()));
        QVERIFY2(failure.description().contains(reason), qPrintable(failure.description()));
    }
    QCOMPARE(Text1.Text(), UnsavedText);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void ReadNotesTest::readErrorKeepsTheLinesReadSoFar_data()
{
    QTest::addColumn<QByteArray>("bytesBeforeFailure");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lineCount");
    QTest::newRow("failure inside a line") << QByteArray("pierwszy\r\ndrugi\rtrzeci niedoko")
                                           << QStringLiteral("pierwszy\r\ndrugi\r\n") << 2;
    QTest::newRow("failure right after a lone CR")
        << QByteArray("pierwszy\r\ndrugi\r") << QStringLiteral("pierwszy\r\ndrugi\r\n") << 2;
    QTest::newRow("failure inside the first line") << QByteArray("niedoko") << QString() << 0;
}

void ReadNotesTest::readErrorKeepsTheLinesReadSoFar()
{
    QFETCH(QByteArray, bytesBeforeFailure);
    QFETCH(QString, text);
    QFETCH(int, lineCount);
    LineReader notes(std::make_unique<FailingDevice>(bytesBeforeFailure),
                     QStringLiteral("notes.txt"));
    TextBox Text1;
    Text1.setInitialText(UnsavedText);
    try {
        Notes::ReadNotes(Text1, notes);
        QFAIL("the read error was not reported");
    } catch (const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), int(RuntimeFailure::DeviceIOError));
        QVERIFY2(failure.description().contains(m_folder->filePath(QStringLiteral("notes.txt"))),
                 qPrintable(failure.description()));
        QVERIFY2(failure.description().contains(QStringLiteral("przed błędem: %1.").arg(lineCount)),
                 qPrintable(failure.description()));
    }
    QCOMPARE(Text1.Text(), text);
}

void ReadNotesTest::growingFileKeepsTheText()
{
    LineReader notes(std::make_unique<EndlessDevice>(), QStringLiteral("notes.txt"),
                     Notes::LargestNotesFile);
    TextBox Text1;
    Text1.setInitialText(UnsavedText);
    try {
        Notes::ReadNotes(Text1, notes);
        QFAIL("reading a file that never ends ended");
    } catch (const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), int(RuntimeFailure::OutOfMemory));
        QVERIFY2(failure.description().contains(QStringLiteral("za duży")),
                 qPrintable(failure.description()));
        QVERIFY2(failure.description().contains(QStringLiteral("pozostał bez zmian")),
                 qPrintable(failure.description()));
    }
    QCOMPARE(Text1.Text(), UnsavedText);
    QVERIFY(!Text1.canUndo());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void ReadNotesTest::oneUndoBringsBackTheEarlierText()
{
    writeFile(NotesFile, "z pliku\r\n");
    TextBox Text1;
    Text1.setInitialText(QStringLiteral("Text1"));
    Text1.SetText(UnsavedText);
    Notes::ReadNotes(Text1, WorkingFolder::current());
    QCOMPARE(Text1.Text(), QStringLiteral("z pliku\r\n"));
    QTest::keyClick(&Text1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text1.Text(), UnsavedText);
    Text1.redo();
    QCOMPARE(Text1.Text(), QStringLiteral("z pliku\r\n"));
}

void ReadNotesTest::showsTheBusyCursorWhileReading()
{
    auto device = std::make_unique<CursorWatchingDevice>("a\r\nb");
    CursorWatchingDevice &watching = *device;
    LineReader notes(std::move(device), QStringLiteral("notes.txt"));
    TextBox Text1;
    QVERIFY_THROWS_EXCEPTION(RuntimeFailure, Notes::ReadNotes(Text1, notes));
    QCOMPARE(watching.shapeWhileReading, std::optional(Qt::WaitCursor));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void ReadNotesTest::windowReportsAMissingFile()
{
    QList<RuntimeFailure> failures;
    Form1 form;
    form.setFailureReporter(std::make_unique<CapturingReporter>(failures));
    form.Text1->SetText(UnsavedText);
    form.Command2->click();
    QCOMPARE(failures.size(), 1);
    QVERIFY2(
        failures.first().description().contains(m_folder->filePath(QStringLiteral("notes.txt"))),
        qPrintable(failures.first().description()));
    QCOMPARE(form.Text1->Text(), UnsavedText);

    writeFile(NotesFile, "przeczytany\r\n");
    form.Command2->click();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(form.Text1->Text(), QStringLiteral("przeczytany\r\n"));
}

QTEST_MAIN(ReadNotesTest)
#include "tst_readnotes.moc"

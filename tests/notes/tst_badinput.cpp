// Czytaj and Zapisz clicked in the real window on notes files that no user means to have: each
// ends in a clear message or the right text, in bounded time, and neither the text in the window
// nor the earlier notes3.txt is lost. (A notes.txt or notes3.txt that is a folder or a FIFO is
// refused where the file is opened, and tested with the line reader and the file writer.)

#include "app/Form1.h"
#include "notes/Notes.h"
#include "platform/CommandButton.h"
#include "platform/RuntimeFailure.h"
#include "textarea/TextBox.h"
#include "platform/Windows1250.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"
#include "tests/support/ReadingRules.h"
#include "tests/support/Watchdog.h"
#include "tests/support/Windows1250Text.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>

class BadInputTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void czytajRefusesWhatIsNoTextFile_data();
    void czytajRefusesWhatIsNoTextFile();
    void czytajReadsOddTextFiles_data();
    void czytajReadsOddTextFiles();
    void zapiszOnAFullDiskKeepsTheText();
    void zapiszThroughADanglingLink_data();
    void zapiszThroughADanglingLink();

private:
    void showForm();
    void clickAndWait(CommandButton *button, const char *caption);
    QString firstMessage() const
    {
        return m_failures.isEmpty() ? QString() : m_failures.first().description();
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Form1> m_form;
    QList<RuntimeFailure> m_failures;
};

namespace {

const QString UnsavedText = QStringLiteral("tekst w oknie,\r\nktórego nikt nie zapisał");
const QByteArray EarlierNotes3 = "wcześniej zapisany notes3.txt\r\n";
constexpr int WatchdogSeconds = 120;

QByteArray randomBytes(quint32 seed, qsizetype size)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

} // namespace

void BadInputTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
    writeFile(QStringLiteral("notes3.txt"), EarlierNotes3);
    m_failures.clear();
}

void BadInputTest::cleanup()
{
    m_form.reset();
}

void BadInputTest::showForm()
{
    m_form = std::make_unique<Form1>();
    m_form->setFailureReporter(std::make_unique<CapturingReporter>(m_failures));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->Text1->SetText(UnsavedText);
}

// Clicks as the user does, then lets the window lay out and paint what the click left. A click
// that does not come back in time ends the run with a message: a hang fails instead of stalling
// the suite.
void BadInputTest::clickAndWait(CommandButton *button, const char *caption)
{
    const Watchdog watchdog(std::chrono::seconds(WatchdogSeconds), [caption] {
        std::fprintf(stderr, "FAIL: %s did not end within %d s\n", caption, WatchdogSeconds);
        std::_Exit(1);
    });
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(button, Qt::LeftButton);
    m_form->repaint();
    QCoreApplication::processEvents();
    qInfo("%s took %lld ms", caption, timer.elapsed());
}

void BadInputTest::czytajRefusesWhatIsNoTextFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reason");
    QTest::newRow("symlink to /dev/zero")
        << "zero" << int(RuntimeFailure::PathFileAccessError) << "to urządzenie, a nie zwykły plik";
    QTest::newRow("1 GiB sparse file")
        << "sparse" << int(RuntimeFailure::OutOfMemory)
        << QStringLiteral("ma %1 B").arg(QLocale().toString(qint64(1) << 30));
}

void BadInputTest::czytajRefusesWhatIsNoTextFile()
{
    QFETCH(QString, kind);
    QFETCH(int, number);
    QFETCH(QString, reason);
    if (kind == "zero") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("notes.txt")));
    } else {
        QFile file(QStringLiteral("notes.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(1) << 30));
    }
    showForm();
    clickAndWait(m_form->Command2, "Czytaj");

    QCOMPARE(m_failures.size(), 1);
    const QString message = m_failures.first().description();
    QCOMPARE(m_failures.first().number(), number);
    QVERIFY2(message.contains(m_folder->filePath(QStringLiteral("notes.txt"))),
             qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("Tekst w oknie pozostał bez zmian")),
             qPrintable(message));
    QCOMPARE(m_form->Text1->Text(), UnsavedText);
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), EarlierNotes3);
}

void BadInputTest::czytajReadsOddTextFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray longLine(20'000'000, 'x');
    for (qsizetype at = 0; at < longLine.size(); at += 1000)
        longLine[at] = '\xb3';
    QTest::newRow("one line of 20 MB") << longLine;
    QTest::newRow("a million empty lines") << QByteArray("\r\n").repeated(1'000'000);
    QTest::newRow("1 MiB of random bytes, seed 6") << randomBytes(6, 1 << 20);
}

// The text is the file's lines each followed by CR LF, and Zapisz then writes exactly those
// lines: nothing of the file is lost or changed on the way but its line ends.
void BadInputTest::czytajReadsOddTextFiles()
{
    QFETCH(QByteArray, bytes);
    writeFile(QStringLiteral("notes.txt"), bytes);
    const QByteArray lines = withCrLfLineEnds(bytes);
    showForm();

    clickAndWait(m_form->Command2, "Czytaj");
    QVERIFY2(m_failures.isEmpty(), qPrintable(firstMessage()));
    QVERIFY(m_form->Text1->Text() == windows1250Text(lines));
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), EarlierNotes3);

    clickAndWait(m_form->Command3, "Zapisz");
    QVERIFY2(m_failures.isEmpty(), qPrintable(firstMessage()));
    QVERIFY(contentsOf(QStringLiteral("notes3.txt")) == lines);
}

// A real full disk, a small tmpfs as the current folder: the window reports it and keeps the
// text. (What the save leaves on such a disk is tested with the file writer.)
void BadInputTest::zapiszOnAFullDiskKeepsTheText()
{
    QVERIFY(QDir().mkdir(QStringLiteral("small")));
    const TmpfsMount disk(m_folder->filePath(QStringLiteral("small")), "size=256k");
    if (!disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    QVERIFY(QDir::setCurrent(m_folder->filePath(QStringLiteral("small"))));
    writeFile(QStringLiteral("notes3.txt"), EarlierNotes3);
    showForm();
    const QString largeText = QStringLiteral("wiersz, który się nie zmieści\r\n").repeated(20000);
    m_form->Text1->SetText(largeText);

    clickAndWait(m_form->Command3, "Zapisz");
    // Out of the small disk first, so that it can be unmounted whatever is found below.
    QVERIFY(QDir::setCurrent(m_folder->path()));
    QCOMPARE(m_failures.size(), 1);
    QCOMPARE(m_failures.first().number(), int(RuntimeFailure::DiskFull));
    QVERIFY(m_form->Text1->Text() == largeText);
}

void BadInputTest::zapiszThroughADanglingLink_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("saved");
    QTest::newRow("link to a file not made yet") << "notatki/notes3.txt" << true;
    QTest::newRow("link into a missing folder") << "brak/notes3.txt" << false;
}

// A user who linked notes3.txt elsewhere wants the notes there: the save writes where the link
// points and leaves the link in place. When that place cannot be written, the message says where
// the link points, since notes3.txt itself is there.
void BadInputTest::zapiszThroughADanglingLink()
{
    QFETCH(QString, target);
    QFETCH(bool, saved);
    QVERIFY(QDir().mkdir(QStringLiteral("notatki")));
    QVERIFY(QFile::remove(QStringLiteral("notes3.txt")));
    QVERIFY(QFile::link(target, QStringLiteral("notes3.txt")));
    showForm();

    clickAndWait(m_form->Command3, "Zapisz");
    QVERIFY(QFileInfo(QStringLiteral("notes3.txt")).isSymLink());
    QCOMPARE(m_form->Text1->Text(), UnsavedText);
    if (saved) {
        QVERIFY2(m_failures.isEmpty(), qPrintable(firstMessage()));
        QCOMPARE(contentsOf(target), Windows1250::encode(UnsavedText).bytes);
        QCOMPARE(entriesOf(QStringLiteral("notatki")), QStringList{"notes3.txt"});
    } else {
        QCOMPARE(m_failures.size(), 1);
        const QString message = m_failures.first().description();
        QCOMPARE(m_failures.first().number(), int(RuntimeFailure::PathNotFound));
        QVERIFY2(message.contains(m_folder->filePath(QStringLiteral("notes3.txt"))),
                 qPrintable(message));
        QVERIFY2(message.contains(m_folder->filePath(target)), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("nie ma takiego pliku ani folderu")),
                 qPrintable(message));
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(entriesOf(m_folder->path()), (QStringList{"notatki", "notes3.txt"}));
    }
}

QTEST_MAIN(BadInputTest)
#include "tst_badinput.moc"

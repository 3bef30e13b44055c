#include "notes/Notes.h"

#include "app/Form1.h"
#include "notes/UnencodableText.h"
#include "platform/CommandButton.h"
#include "platform/RuntimeFailure.h"
#include "textarea/TextBox.h"
#include "platform/WorkingFolder.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"
#include "tests/support/FullDiskWriter.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class SaveNotesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textBecomesFileBytes_data();
    void textBecomesFileBytes();
    void savingTwiceLeavesOnlyTheSecondText();
    void unencodableTextIsRefused_data();
    void unencodableTextIsRefused();
    void placeOfACharacter_data();
    void placeOfACharacter();
    void showsTheBusyCursorWhileSaving();
    void windowSavesAndReportsFailures();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

const QByteArray EarlierBytes = "earlier notes3.txt\r\n";

const QString Notes3 = QStringLiteral("notes3.txt");

// Fails as a full disk does, after part of the bytes, and notes the cursor meanwhile.
class CursorWatchingWriter : public FullDiskWriter
{
public:
    CursorWatchingWriter(const WorkingFolder &folder, qint64 capacity)
        : FullDiskWriter(folder, Notes3, capacity)
    {}
    std::optional<Qt::CursorShape> shapeWhileWriting;

protected:
    qint64 writeBytes(int descriptor, QByteArrayView bytes, qint64 offset) override
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        shapeWhileWriting = cursor ? cursor->shape() : Qt::ArrowCursor;
        return FullDiskWriter::writeBytes(descriptor, bytes, offset);
    }
};

} // namespace

void SaveNotesTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void SaveNotesTest::textBecomesFileBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("the text the window starts with") << "Text1" << QByteArray("Text1");
    QTest::newRow("empty text gives an empty file") << "" << QByteArray();
    QTest::newRow("no line end after the last line") << "a\r\nb" << QByteArray("a\r\nb");
    QTest::newRow("line end at the end stays") << "a\r\n" << QByteArray("a\r\n");
    QTest::newRow("lone CR and lone LF are kept") << "a\rb\nc" << QByteArray("a\rb\nc");
    QTest::newRow("Polish letters") << QStringLiteral("śłżę") << QByteArray("\x9c\xb3\xbf\xea");
    QTest::newRow("NUL and 0x1A") << QString::fromLatin1("a\0\x1a", 3) << QByteArray("a\0\x1a", 3);
    QTest::newRow("undefined bytes come back")
        << QString::fromLatin1("\x81\x83\x88\x90\x98") << QByteArray("\x81\x83\x88\x90\x98");
}

void SaveNotesTest::textBecomesFileBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    writeFile(Notes3, EarlierBytes);
    TextBox Text1;
    Text1.setInitialText(text);
    Notes::SaveNotes(Text1, WorkingFolder::current());
    QCOMPARE(contentsOf(Notes3), bytes);
    QCOMPARE(entriesOf(m_folder->path()), QStringList{"notes3.txt"});
}

void SaveNotesTest::savingTwiceLeavesOnlyTheSecondText()
{
    const WorkingFolder folder = WorkingFolder::current();
    TextBox Text1;
    Text1.SetText(QStringLiteral("pierwszy, dłuższy tekst"));
    Notes::SaveNotes(Text1, folder);
    Text1.SetText(QStringLiteral("drugi"));
    Notes::SaveNotes(Text1, folder);
    QCOMPARE(contentsOf(Notes3), QByteArray("drugi"));
}

void SaveNotesTest::unencodableTextIsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("count");
    QTest::newRow("Cyrillic word on the second line")
        << QStringLiteral("Zażółć\r\nab жук") << QStringLiteral("znak „ж” (U+0436)") << 2 << 4 << 3;
    QTest::newRow("emoji after another emoji's pair")
        << QStringLiteral("a\r\nb\r\n😀 x ☺") << QStringLiteral("znak „😀” (U+1F600)") << 3 << 1 << 2;
    QTest::newRow("columns count a pair as one")
        << QStringLiteral("😀ж") << QStringLiteral("znak „😀” (U+1F600)") << 1 << 1 << 2;
    QTest::newRow("lone CR and lone LF end lines")
        << QStringLiteral("a\rb\nc ж") << QStringLiteral("„ж”") << 3 << 3 << 1;
    QTest::newRow("invisible character")
        << (QStringLiteral("ab") + QChar(0x2007)) << QStringLiteral("niewidoczny znak U+2007") << 1
        << 3 << 1;
}

void SaveNotesTest::unencodableTextIsRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, character);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(int, count);
    writeFile(Notes3, EarlierBytes);
    TextBox Text1;
    Text1.SetText(text);
    try {
        Notes::SaveNotes(Text1, WorkingFolder::current());
        QFAIL("the text was saved");
    } catch (const RuntimeFailure &failure) {
        const QString message = failure.description();
        QCOMPARE(failure.number(), int(RuntimeFailure::InvalidProcedureCall));
        for (const QString &part :
             {m_folder->filePath(QStringLiteral("notes3.txt")), character,
              QStringLiteral("wiersza %1,").arg(line), QStringLiteral("kolumny %1.").arg(column),
              QStringLiteral("Takich znaków w tekście: %1.").arg(count)}) {
            QVERIFY2(message.contains(part), qPrintable(part + QStringLiteral(" in: ") + message));
        }
    }
    QCOMPARE(contentsOf(Notes3), EarlierBytes);
    QCOMPARE(entriesOf(m_folder->path()), QStringList{"notes3.txt"});
}

void SaveNotesTest::placeOfACharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::newRow("start") << "abc" << 0 << 1 << 1;
    QTest::newRow("after CR LF") << "ab\r\ncd" << 5 << 2 << 2;
    QTest::newRow("the LF of a CR LF is still on the line") << "ab\r\ncd" << 3 << 1 << 4;
    QTest::newRow("empty lines") << "\r\n\r\n\rx" << 5 << 4 << 1;
}

void SaveNotesTest::placeOfACharacter()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(int, line);
    QFETCH(int, column);
    const UnencodableText::Place place = UnencodableText::placeOf(text, index);
    QCOMPARE(place.line, line);
    QCOMPARE(place.column, column);
}

void SaveNotesTest::showsTheBusyCursorWhileSaving()
{
    TextBox Text1;
    Text1.SetText(QStringLiteral("tekst, który się nie zmieści"));
    const WorkingFolder folder = WorkingFolder::current();
    CursorWatchingWriter fullDisk(folder, 10);
    QVERIFY_THROWS_EXCEPTION(RuntimeFailure, Notes::SaveNotes(Text1, fullDisk));
    QCOMPARE(fullDisk.shapeWhileWriting, std::optional(Qt::WaitCursor));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void SaveNotesTest::windowSavesAndReportsFailures()
{
    QList<RuntimeFailure> failures;
    Form1 form;
    form.setFailureReporter(std::make_unique<CapturingReporter>(failures));
    form.Command3->click();
    QVERIFY(failures.isEmpty());
    QCOMPARE(contentsOf(Notes3), QByteArray("Text1"));

    form.Text1->SetText(QStringLiteral("Ω"));
    form.Command3->click();
    QCOMPARE(failures.size(), 1);
    QVERIFY2(failures.first().description().contains(QStringLiteral("U+03A9")),
             qPrintable(failures.first().description()));
    QCOMPARE(contentsOf(Notes3), QByteArray("Text1"));
}

QTEST_MAIN(SaveNotesTest)
#include "tst_savenotes.moc"

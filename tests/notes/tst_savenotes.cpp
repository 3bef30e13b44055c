// SPDX-License-Identifier: GPL-3.0-or-later
#include "notes/Notes.h"

#include "app/Form1.h"
#include "common/RuntimeFailure.h"
#include "controls/CommandButton.h"
#include "files/WorkingFolder.h"
#include "notes/UnencodableText.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"
#include "tests/support/FullDiskWriter.h"
#include "textarea/TextBox.h"

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
    void decomposedPolishIsSavedComposed_data();
    void decomposedPolishIsSavedComposed();
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
    QTest::newRow("composed Polish on two lines")
        << QStringLiteral("Zażółć gęślą\r\nJAŹŃ")
        << QByteArray("Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9\r\nJA\x8f\xd1");
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

void SaveNotesTest::decomposedPolishIsSavedComposed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    struct Letter
    {
        const char *name;
        char16_t base;
        char16_t mark;
        char byte;
    };
    const Letter letters[] = {
        {"ą", u'a', 0x0328, '\xb9'}, {"ć", u'c', 0x0301, '\xe6'}, {"ę", u'e', 0x0328, '\xea'},
        {"ń", u'n', 0x0301, '\xf1'}, {"ó", u'o', 0x0301, '\xf3'}, {"ś", u's', 0x0301, '\x9c'},
        {"ź", u'z', 0x0301, '\x9f'}, {"ż", u'z', 0x0307, '\xbf'}, {"Ą", u'A', 0x0328, '\xa5'},
        {"Ć", u'C', 0x0301, '\xc6'}, {"Ę", u'E', 0x0328, '\xca'}, {"Ń", u'N', 0x0301, '\xd1'},
        {"Ó", u'O', 0x0301, '\xd3'}, {"Ś", u'S', 0x0301, '\x8c'}, {"Ź", u'Z', 0x0301, '\x8f'},
        {"Ż", u'Z', 0x0307, '\xaf'},
    };
    for (const Letter &letter : letters) {
        QTest::addRow("%s as a base letter and a mark", letter.name)
            << (QString(QChar(letter.base)) + QChar(letter.mark)) << QByteArray(1, letter.byte);
    }
    QTest::newRow("ł and Ł have no decomposition")
        << QStringLiteral("\u0142\u0141") << QByteArray("\xb3\xa3");
    QTest::newRow("ś ł ż ę as a PDF gives them")
        << QStringLiteral("s\u0301\u0142z\u0307e\u0328") << QByteArray("\x9c\xb3\xbf\xea");
    QTest::newRow("at the start and the end of the text") << QStringLiteral("z\u0307ab c\u0301")
                                                          << QByteArray("\xbf"
                                                                        "ab \xe6");
    QTest::newRow("right after CR LF and before a lone CR")
        << QStringLiteral("a\r\nA\u0328\rO\u0301\n") << QByteArray("a\r\n\xa5\r\xd3\n");
    QTest::newRow("decomposed among composed letters")
        << QStringLiteral("Zaz\u0307o\u0301łć gęs\u0301la\u0328 jaźn\u0301")
        << QByteArray("Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1");
}

// The letters are composed in the bytes only; the text area keeps them as they were typed.
void SaveNotesTest::decomposedPolishIsSavedComposed()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    writeFile(Notes3, EarlierBytes);
    TextBox Text1;
    Text1.SetText(text);
    Notes::SaveNotes(Text1, WorkingFolder::current());
    QCOMPARE(contentsOf(Notes3), bytes);
    QCOMPARE(Text1.Text(), text);
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
    QTest::newRow("lone surrogate") << (QStringLiteral("ab") + QChar(0xdc00) + u'c')
                                    << QStringLiteral("niewidoczny znak U+DC00") << 1 << 3 << 1;
    QTest::newRow("a letter and its mark are named together")
        << QStringLiteral("z\u0307an\u0300") << QStringLiteral("znak „n\u0300” (U+006E U+0300)")
        << 1 << 3 << 1;
    QTest::newRow("a mark without a composed byte, after decomposed letters")
        << QStringLiteral("Zaz\u0307o\u0301\u0142c\u0301 e\u0303")
        << QStringLiteral("znak „e\u0303” (U+0065 U+0303)") << 1 << 8 << 1;
    QTest::newRow("two marks of which only one composes")
        << QStringLiteral("xz\u0307\u0301")
        << QStringLiteral("znak „z\u0307\u0301” (U+007A U+0307 U+0301)") << 1 << 2 << 1;
    QTest::newRow("at the very start of the text")
        << QStringLiteral("e\u0303ab") << QStringLiteral("„e\u0303”") << 1 << 1 << 1;
    QTest::newRow("at the very end of the text")
        << QStringLiteral("ab\r\nc\u0301e\u0303") << QStringLiteral("„e\u0303”") << 2 << 2 << 1;
    QTest::newRow("right after CR LF")
        << QStringLiteral("a\u0328\r\nn\u0300") << QStringLiteral("„n\u0300”") << 2 << 1 << 1;
    QTest::newRow("a lone mark at the start of a line is shown on a dotted circle")
        << QStringLiteral("ab\r\n\u0301cd") << QStringLiteral("znak „\u25cc\u0301” (U+0301)") << 2
        << 1 << 1;
    QTest::newRow("letters are counted, not their marks")
        << QStringLiteral("e\u0303\u0303 n\u0300 z\u0307") << QStringLiteral("„e\u0303\u0303”") << 1
        << 1 << 2;
    QTest::newRow("an emoji sequence is one letter")
        << QStringLiteral("a👩\u200d👧 b")
        << QStringLiteral("znak „👩\u200d👧” (U+1F469 U+200D U+1F467)") << 1 << 2 << 1;
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
    QCOMPARE(Text1.Text(), text);
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
    QTest::newRow("a decomposed letter is one column") << "z\u0307a\u0328b" << 4 << 1 << 3;
    QTest::newRow("a lone mark starting a line is a column") << "ab\r\u0301\u0301x" << 5 << 2 << 2;
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RuntimeFailure.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>

// The text area's promises to the operations, checked on the real widget.
class TextBoxContractTest : public QObject
{
    Q_OBJECT

private slots:
    void textReadsBackWhatWasWritten_data();
    void textReadsBackWhatWasWritten();
    void randomTextsReadBack();
    void lineBreaksShowAsLines_data();
    void lineBreaksShowAsLines();
    void typedEnterReadsBackAsCrLf_data();
    void typedEnterReadsBackAsCrLf();
    void writingTextPutsCaretAtStart();
    void writingTextShowsTheStartOfTheLines_data();
    void writingTextShowsTheStartOfTheLines();
    void horizontalRangeFollowsTheLongestLine_data();
    void horizontalRangeFollowsTheLongestLine();
    void selectionCountsCrLfAsTwo_data();
    void selectionCountsCrLfAsTwo();
    void selTextReplacesSelection_data();
    void selTextReplacesSelection();
    void selTextLeavesCaretAfterInsertion();
    void userDeletionKeepsOtherLineEnds_data();
    void userDeletionKeepsOtherLineEnds();
    void disabledAreaRefusesTheUserButNotTheProgram();
    void setFocusOnDisabledAreaFails();
    void fontAttributesApplyToWholeText_data();
    void fontAttributesApplyToWholeText();
    void foreColorColoursText();
    void writtenTextIsOneUndoStep();
};

namespace {

const QString CrLf = QStringLiteral("\r\n");

// A position between the CR and the LF of a line break goes before the break.
bool splitsLineBreak(const QString &text, int position)
{
    return position > 0 && position < text.size() && text.at(position - 1) == u'\r'
           && text.at(position) == u'\n';
}

// Types text the way a keyboard does, Polish letters included, which QTest::keyClicks refuses.
void type(QWidget *widget, const QString &text)
{
    for (const QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

QString characters(std::initializer_list<char16_t> units)
{
    QString text;
    for (const char16_t unit : units)
        text += QChar(unit);
    return text;
}

} // namespace

void TextBoxContractTest::textReadsBackWhatWasWritten_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("design's initial text") << QStringLiteral("Text1");
    QTest::newRow("CR LF between lines") << QStringLiteral("a\r\nb\r\nc");
    QTest::newRow("CR LF at the end") << QStringLiteral("a\r\n");
    QTest::newRow("CR LF alone") << CrLf;
    QTest::newRow("empty lines") << QStringLiteral("\r\n\r\n\r\n");
    QTest::newRow("lone CR") << QStringLiteral("a\rb");
    QTest::newRow("lone LF") << QStringLiteral("a\nb");
    QTest::newRow("LF CR is two lone ends") << QStringLiteral("a\n\rb");
    QTest::newRow("CR CR LF") << QStringLiteral("a\r\r\nb");
    QTest::newRow("CR LF LF") << QStringLiteral("a\r\n\nb");
    QTest::newRow("only lone ends") << QStringLiteral("\r\r\n\n\r");
    QTest::newRow("lone CR at the end") << QStringLiteral("a\r");
    QTest::newRow("lone LF at the start") << QStringLiteral("\na");
    QTest::newRow("NUL") << characters({u'a', 0, u'b', 0});
    QTest::newRow("no-break space") << characters({u'a', 0x00a0, u'b'});
    QTest::newRow("line separator") << characters({u'a', 0x2028, u'b'});
    QTest::newRow("paragraph separator") << characters({u'a', 0x2029, u'b'});
    QTest::newRow("frame marks") << characters({0xfdd0, u'x', 0xfdd1});
    QTest::newRow("object replacement") << characters({u'a', 0xfffc, u'b'});
    QTest::newRow("replacement character") << characters({u'a', 0xfffd, u'\n', 0xfffd});
    QTest::newRow("tab") << QStringLiteral("a\tb");
    QTest::newRow("Polish letters") << QStringLiteral("Zażółć gęślą jaźń\r\nŹDŹBŁO");
    QTest::newRow("outside the BMP") << QStringLiteral("😀 𝄞\r\n𠀀");
    QTest::newRow("lone surrogates") << characters({0xd800, u'a', 0xdc00});
    QTest::newRow("mixed line ends") << QStringLiteral("1\r\n2\r3\n4\r\n\r\r\n5");
}

void TextBoxContractTest::textReadsBackWhatWasWritten()
{
    QFETCH(QString, text);
    TextBox box;
    box.SetText(text);
    QCOMPARE(box.Text(), text);

    // Writing over it keeps the new text exactly too.
    box.SetText(text + text);
    QCOMPARE(box.Text(), text + text);
}

void TextBoxContractTest::randomTextsReadBack()
{
    const QList<QString> pieces = {
        QStringLiteral("\r"),        QStringLiteral("\n"),   QStringLiteral("\r\n"),
        QString(QChar(0)),           QString(QChar(0x00a0)), QStringLiteral("ąćęłńóśźż"),
        QStringLiteral("ĄĆĘŁŃÓŚŹŻ"), QStringLiteral("😀"),    QStringLiteral("𝄞"),
        QStringLiteral("abc"),       QString(QChar(0x2029)), QString(QChar(0x2028)),
    };
    QRandomGenerator random(20261207);
    TextBox box;
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int count = random.bounded(30);
        for (int piece = 0; piece < count; ++piece)
            text += pieces.at(random.bounded(pieces.size()));

        box.SetText(text);
        QCOMPARE(box.Text(), text);

        // A selection reads back as the same slice of the text; an end inside a line break
        // takes the whole break.
        int start = random.bounded(text.size() + 1);
        const int length = random.bounded(text.size() - start + 1);
        box.SetSelStart(start);
        box.SetSelLength(length);
        if (splitsLineBreak(text, start))
            --start;
        int end = start + length;
        if (splitsLineBreak(text, end))
            ++end;
        QCOMPARE(box.SelText(), text.mid(start, end - start));

        // Inserting there gives the text with the insertion.
        const QString insertion = pieces.at(random.bounded(pieces.size()));
        box.SetSelStart(start);
        box.SetSelText(insertion);
        const QString inserted = text.left(start) + insertion + text.mid(start);
        QCOMPARE(box.Text(), inserted);

        // Replacing the selection, line ends within it included, leaves the rest exact.
        box.SetText(inserted);
        box.SetSelStart(start);
        box.SetSelLength(length);
        int replacedStart = start;
        if (splitsLineBreak(inserted, replacedStart))
            --replacedStart;
        int replacedEnd = replacedStart + length;
        if (splitsLineBreak(inserted, replacedEnd))
            ++replacedEnd;
        const QString replacement = pieces.at(random.bounded(pieces.size()));
        box.SetSelText(replacement);
        QCOMPARE(box.Text(),
                 inserted.left(replacedStart) + replacement + inserted.mid(replacedEnd));
    }
}

void TextBoxContractTest::lineBreaksShowAsLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");

    QTest::newRow("one line") << QStringLiteral("abc") << 1;
    QTest::newRow("CR LF breaks the line") << QStringLiteral("a\r\nb") << 2;
    QTest::newRow("final CR LF opens a line") << QStringLiteral("a\r\nb\r\n") << 3;
    QTest::newRow("lone CR and lone LF break the line too") << QStringLiteral("a\rb\nc") << 3;
    QTest::newRow("paragraph separator stays in its line") << characters({u'a', 0x2029, u'b'}) << 1;
    QTest::newRow("line separator stays in its line") << characters({u'a', 0x2028, u'b'}) << 1;
}

void TextBoxContractTest::lineBreaksShowAsLines()
{
    QFETCH(QString, text);
    QFETCH(int, lines);
    TextBox box;
    box.SetText(text);
    QCOMPARE(box.buffer().lineCount(), lines);
}

void TextBoxContractTest::typedEnterReadsBackAsCrLf_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    QTest::newRow("Enter") << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("Shift+Enter") << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

void TextBoxContractTest::typedEnterReadsBackAsCrLf()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    TextBox box;
    // The line typed in follows a lone LF: the new line end is CR LF all the same.
    box.SetText(QStringLiteral("x\ny"));
    box.SetSelStart(int(box.Text().size()));
    QTest::keyClicks(&box, QStringLiteral("ab"));
    QTest::keyClick(&box, Qt::Key_Return, modifiers);
    type(&box, QStringLiteral("ć"));
    QCOMPARE(box.Text(), QStringLiteral("x\nyab\r\nć"));

    // Enter in the middle of a line ended by a lone CR keeps that CR after the new line.
    box.SetText(QStringLiteral("12\r3"));
    box.SetSelStart(1);
    QTest::keyClick(&box, Qt::Key_Enter, modifiers);
    QCOMPARE(box.Text(), QStringLiteral("1\r\n2\r3"));
    box.undo();
    QCOMPARE(box.Text(), QStringLiteral("12\r3"));
}

void TextBoxContractTest::writingTextPutsCaretAtStart()
{
    TextBox box;
    box.SetText(QStringLiteral("first\r\nsecond"));
    box.SetSelStart(3);
    box.SetSelLength(5);
    box.SetText(QStringLiteral("x\r\ny\r\nz"));
    QCOMPARE(box.caretPosition(), 0);
    QVERIFY(!box.hasSelection());
    QCOMPARE(box.SelText(), QString());
}

void TextBoxContractTest::writingTextShowsTheStartOfTheLines_data()
{
    QTest::addColumn<bool>("byCaret");
    QTest::newRow("scrolled sideways by the user") << false;
    QTest::newRow("scrolled sideways to the caret at the end of a line") << true;
}

// A text read while the view shows the far end of long lines must not show the new text from
// somewhere in its middle.
void TextBoxContractTest::writingTextShowsTheStartOfTheLines()
{
    QFETCH(bool, byCaret);
    const QString longLine(400, u'x');
    TextBox box;
    box.resize(200, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetText(longLine);
    QScrollBar *sideways = box.horizontalScrollBar();
    if (byCaret)
        box.SetSelStart(int(longLine.size()));
    else
        sideways->setValue(sideways->maximum());
    QVERIFY(sideways->value() > 0);

    box.SetText(longLine + CrLf + longLine);
    QCOMPARE(sideways->value(), 0);
}

void TextBoxContractTest::horizontalRangeFollowsTheLongestLine_data()
{
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("inserted");

    // Short lines 0 to 59, each of 6 characters and its CR LF, but line 50 of 300.
    const int lineThree = 3 * 8;
    QTest::newRow("Enter above the longest line")
        << lineThree << lineThree << QList<int>{Qt::Key_Return} << QString();
    QTest::newRow("Backspace joining two lines above it")
        << lineThree << lineThree << QList<int>{Qt::Key_Backspace} << QString();
    QTest::newRow("letters typed above it")
        << 2 << 2 << QList<int>{Qt::Key_A, Qt::Key_B, Qt::Key_C} << QString();
    QTest::newRow("lines pasted above it") << 0 << 0 << QList<int>() << u"a\r\nb\r\nc\r\n"_qs;
    QTest::newRow("a selection of lines above it deleted")
        << 5 * 8 << 10 * 8 + 3 << QList<int>{Qt::Key_Delete} << QString();
    QTest::newRow("lines pasted above it, a longer one scrolled out of view")
        << 0 << 0 << QList<int>() << QString(400, u'z') + QString(u"\r\nkrótki"_qs).repeated(20);
    QTest::newRow("a line below it made the longest")
        << 55 * 8 << 55 * 8 << QList<int>(310, Qt::Key_Y) << QString();
    QTest::newRow("the longest line shortened")
        << 50 * 8 << 50 * 8 + 100 << QList<int>{Qt::Key_Delete} << QString();
}

// The range kept up to date edit by edit is the one the edited text gets when written whole,
// while the longest line is far out of view.
void TextBoxContractTest::horizontalRangeFollowsTheLongestLine()
{
    QFETCH(int, anchor);
    QFETCH(int, caret);
    QFETCH(QList<int>, keys);
    QFETCH(QString, inserted);
    QStringList lines(60, u"krótki"_qs);
    lines[50] = QString(300, u'x');
    TextBox box;
    box.resize(200, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetText(lines.join(CrLf));
    box.setFocus();
    box.setSelection(anchor, caret);
    for (const int key : keys)
        QTest::keyClick(&box, Qt::Key(key));
    if (!inserted.isEmpty())
        box.SetSelText(inserted);

    TextBox written;
    written.resize(box.size());
    written.show();
    QVERIFY(QTest::qWaitForWindowExposed(&written));
    written.SetText(box.Text());
    QCOMPARE(box.horizontalScrollBar()->maximum(), written.horizontalScrollBar()->maximum());
}

void TextBoxContractTest::selectionCountsCrLfAsTwo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");

    const QString lines = QStringLiteral("ab\r\ncd\r\nef");
    QTest::newRow("whole text") << lines << 0 << 10 << lines;
    QTest::newRow("second line") << lines << 4 << 2 << QStringLiteral("cd");
    QTest::newRow("across a break") << lines << 1 << 4 << QStringLiteral("b\r\nc");
    QTest::newRow("the break itself") << lines << 2 << 2 << CrLf;
    QTest::newRow("last line") << lines << 8 << 2 << QStringLiteral("ef");
    QTest::newRow("length past the end") << lines << 8 << 100 << QStringLiteral("ef");
    QTest::newRow("start past the end") << lines << 50 << 3 << QString();
    QTest::newRow("nothing") << lines << 5 << 0 << QString();
    QTest::newRow("half a break takes the break") << lines << 2 << 1 << CrLf;
    QTest::newRow("start on the LF goes before the break") << lines << 3 << 2 << CrLf;
    QTest::newRow("lone ends count one each")
        << QStringLiteral("a\rb\nc") << 1 << 3 << QStringLiteral("\rb\n");
    QTest::newRow("surrogate pair counts two")
        << QStringLiteral("😀x") << 2 << 1 << QStringLiteral("x");
    QTest::newRow("Polish letters")
        << QStringLiteral("zażółć\r\ngęślą") << 2 << 7 << QStringLiteral("żółć\r\ng");
}

void TextBoxContractTest::selectionCountsCrLfAsTwo()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, selected);
    TextBox box;
    box.SetText(text);
    box.SetSelStart(start);
    box.SetSelLength(length);
    QCOMPARE(box.SelText(), selected);
}

void TextBoxContractTest::selTextReplacesSelection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("insertion");
    QTest::addColumn<QString>("result");

    const QString lines = QStringLiteral("ab\r\ncd");
    QTest::newRow("insert at caret")
        << lines << 1 << 0 << QStringLiteral("X") << QStringLiteral("aXb\r\ncd");
    QTest::newRow("insert after the break")
        << lines << 4 << 0 << QStringLiteral("X") << QStringLiteral("ab\r\nXcd");
    QTest::newRow("replace across a break")
        << lines << 1 << 4 << QStringLiteral("-") << QStringLiteral("a-d");
    QTest::newRow("empty deletes the selection")
        << lines << 0 << 4 << QString() << QStringLiteral("cd");
    QTest::newRow("empty without selection changes nothing")
        << lines << 2 << 0 << QString() << lines;
    QTest::newRow("insert lines") << lines << 6 << 0 << QStringLiteral("\r\nef\rg\n")
                                  << QStringLiteral("ab\r\ncd\r\nef\rg\n");
    QTest::newRow("insert CR LF between lone ends")
        << QStringLiteral("\r\n") << 0 << 0 << QStringLiteral("x") << QStringLiteral("x\r\n");
}

void TextBoxContractTest::selTextReplacesSelection()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, insertion);
    QFETCH(QString, result);
    TextBox box;
    box.SetText(text);
    box.SetSelStart(start);
    box.SetSelLength(length);
    box.SetSelText(insertion);
    QCOMPARE(box.Text(), result);
    QCOMPARE(box.SelText(), QString());
}

void TextBoxContractTest::selTextLeavesCaretAfterInsertion()
{
    TextBox box;
    box.SetText(QStringLiteral("ab\r\ncd"));
    box.SetSelStart(1);
    box.SetSelText(QStringLiteral("12\r\n3"));
    // The caret follows the new text: what is typed next goes there.
    QTest::keyClicks(&box, QStringLiteral("!"));
    QCOMPARE(box.Text(), QStringLiteral("a12\r\n3!b\r\ncd"));
}

void TextBoxContractTest::userDeletionKeepsOtherLineEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("result");

    const QString mixed = QStringLiteral("x\na\r\nb\rc");
    QTest::newRow("whole lines from a line start")
        << mixed << 2 << 4 << int(Qt::Key_Delete) << QStringLiteral("x\n\rc");
    QTest::newRow("from a line start into the next line")
        << mixed << 2 << 5 << int(Qt::Key_Delete) << QStringLiteral("x\nc");
    QTest::newRow("from within a line over a lone LF")
        << mixed << 0 << 3 << int(Qt::Key_Delete) << QStringLiteral("\r\nb\rc");
    QTest::newRow("Backspace at a line start takes a lone LF")
        << mixed << 2 << 0 << int(Qt::Key_Backspace) << QStringLiteral("xa\r\nb\rc");
    QTest::newRow("Delete at a line end takes CR LF")
        << mixed << 3 << 0 << int(Qt::Key_Delete) << QStringLiteral("x\nab\rc");
}

// The user's own edits, which go through the widget and not through the contract, keep every
// line end they do not touch.
void TextBoxContractTest::userDeletionKeepsOtherLineEnds()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(int, key);
    QFETCH(QString, result);
    TextBox box;
    box.SetText(text);
    box.SetSelStart(start);
    box.SetSelLength(length);
    QTest::keyClick(&box, Qt::Key(key));
    QCOMPARE(box.Text(), result);
    box.undo();
    QCOMPARE(box.Text(), text);
}

void TextBoxContractTest::disabledAreaRefusesTheUserButNotTheProgram()
{
    QWidget window;
    auto *box = new TextBox(&window);
    box->resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    box->SetText(QStringLiteral("keep"));
    box->SetEnabled(false);

    box->setFocus();
    QVERIFY(!box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("typed"));
    QTest::mouseDClick(box->viewport(), Qt::LeftButton);
    QCOMPARE(box->Text(), QStringLiteral("keep"));
    QCOMPARE(box->SelText(), QString());
    QVERIFY(!box->verticalScrollBar()->isEnabled());

    // The program's writes still work while the user is kept out.
    box->SetText(QStringLiteral("one\r\ntwo"));
    box->SetSelStart(5);
    box->SetSelLength(3);
    QCOMPARE(box->SelText(), QStringLiteral("two"));
    box->SetSelText(QStringLiteral("2"));
    box->Font().SetBold(true);
    QCOMPARE(box->Text(), QStringLiteral("one\r\n2"));
    QVERIFY(box->font().bold());

    box->SetEnabled(true);
    box->setFocus();
    QVERIFY(box->hasFocus());
}

void TextBoxContractTest::setFocusOnDisabledAreaFails()
{
    QWidget window;
    auto *box = new TextBox(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();

    box->SetEnabled(false);
    try {
        box->SetFocus();
        QFAIL("SetFocus on a disabled area must fail");
    } catch (const RuntimeFailure &failure) {
        QCOMPARE(failure.number(), int(RuntimeFailure::InvalidProcedureCall));
        QVERIFY(!failure.description().isEmpty());
    }

    box->SetEnabled(true);
    box->SetFocus();
    QTRY_VERIFY(box->hasFocus());
}

void TextBoxContractTest::fontAttributesApplyToWholeText_data()
{
    QTest::addColumn<int>("attribute");

    QTest::newRow("bold") << 0;
    QTest::newRow("italic") << 1;
    QTest::newRow("underline") << 2;
    QTest::newRow("strikethrough") << 3;
    QTest::newRow("strikethru of the box") << 4;
}

void TextBoxContractTest::fontAttributesApplyToWholeText()
{
    QFETCH(int, attribute);
    TextBox box;
    box.SetText(QStringLiteral("before\r\n"));
    const QFont before = box.font();

    switch (attribute) {
    case 0:
        box.Font().SetBold(true);
        break;
    case 1:
        box.Font().SetItalic(true);
        break;
    case 2:
        box.Font().SetUnderline(true);
        break;
    case 3:
        box.Font().SetStrikethrough(true);
        break;
    case 4:
        box.SetFontStrikethru(true);
        break;
    }
    box.SetSelStart(int(box.Text().size()));
    QTest::keyClicks(&box, QStringLiteral("after"));

    // Every character, the ones typed later included, is drawn in the area's one font.
    const QFont expected = box.font();
    QCOMPARE(expected.bold(), attribute == 0);
    QCOMPARE(expected.italic(), attribute == 1);
    QCOMPARE(expected.underline(), attribute == 2);
    QCOMPARE(expected.strikeOut(), attribute >= 3);
    QCOMPARE(expected.family(), before.family());
    QCOMPARE(expected.pointSizeF(), before.pointSizeF());
}

void TextBoxContractTest::foreColorColoursText()
{
    TextBox box;
    box.SetForeColor(0x00ff8000); // blue 0xff, green 0x80, red 0
    QCOMPARE(box.palette().color(QPalette::Active, QPalette::Text), QColor(0, 0x80, 0xff));
    QCOMPARE(box.palette().color(QPalette::Inactive, QPalette::Text), QColor(0, 0x80, 0xff));
}

void TextBoxContractTest::writtenTextIsOneUndoStep()
{
    TextBox box;
    box.setInitialText(QStringLiteral("Text1"));
    QVERIFY(!box.canUndo());

    box.SetText(QStringLiteral("a\rb\r\nc\n"));
    box.undo();
    QCOMPARE(box.Text(), QStringLiteral("Text1"));
    box.redo();
    QCOMPARE(box.Text(), QStringLiteral("a\rb\r\nc\n"));
}

QTEST_MAIN(TextBoxContractTest)
#include "tst_textboxcontract.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/AreaClipboard.h"
#include "tests/support/TextPositions.h"
#include "textarea/TextBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLibraryInfo>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTranslator>

// What the user does with keys and the mouse, as QPlainTextEdit let them do it.
class TextBoxKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void keysMoveSelectAndEdit_data();
    void keysMoveSelectAndEdit();
    void pageDownMovesAPage();
    void tabMovesTheFocusOn();
    void clipboardKeys_data();
    void clipboardKeys();
    void typingIsUndoneInSteps_data();
    void typingIsUndoneInSteps();
    void mouseSelects_data();
    void mouseSelects();
    void clicksSelectWordsAndLines_data();
    void clicksSelectWordsAndLines();
    void draggingPastTheEdgeScrolls();
    void wheelScrollsBothWays();
    void dropsInsertAtThePoint();
    void contextMenuIsQtsInPolish_data();
    void contextMenuIsQtsInPolish();
};

namespace {

// "ab^cd|e": the text with the anchor at ^ and the caret at |; without ^ nothing is selected.
struct Marked
{
    QString text;
    qsizetype anchor;
    qsizetype caret;
};

Marked unmark(QString marked)
{
    qsizetype anchor = marked.indexOf(u'^');
    if (anchor >= 0)
        marked.remove(anchor, 1);
    const qsizetype caret = marked.indexOf(u'|');
    marked.remove(caret, 1);
    if (anchor < 0)
        anchor = caret;
    else if (anchor > caret)
        --anchor;
    return {marked, anchor, caret};
}

QString mark(const TextBox &box)
{
    QString text = box.Text();
    text.insert(box.caretPosition(), u'|');
    if (box.anchorPosition() != box.caretPosition())
        text.insert(box.anchorPosition() + (box.anchorPosition() > box.caretPosition() ? 1 : 0),
                    u'^');
    return text;
}

void showAndWait(QWidget &widget)
{
    widget.show();
    QApplication::setActiveWindow(&widget);
    QVERIFY(QTest::qWaitForWindowActive(&widget));
}

} // namespace

void TextBoxKeysTest::keysMoveSelectAndEdit_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("after");

    const auto row = [](const char *name, const QString &before, const QStringList &keys,
                        const QString &after) {
        QTest::newRow(name) << before << keys << after;
    };
    row("Right steps over CR LF", u"a|\r\nb"_qs, {"Right"}, u"a\r\n|b"_qs);
    row("Left steps over CR LF", u"a\r\n|b"_qs, {"Left"}, u"a|\r\nb"_qs);
    row("Right over a lone CR", u"a|\rb"_qs, {"Right"}, u"a\r|b"_qs);
    row("Right over a surrogate pair", u"|😀x"_qs, {"Right"}, u"😀|x"_qs);
    row("Left ends a selection at its start", u"a^bc|d"_qs, {"Left"}, u"a|bcd"_qs);
    row("Right ends a selection at its end", u"a|bc^d"_qs, {"Right"}, u"abc|d"_qs);
    row("Home", u"ab\r\ncd|e"_qs, {"Home"}, u"ab\r\n|cde"_qs);
    row("End stops before CR LF", u"a|b\r\ncd"_qs, {"End"}, u"ab|\r\ncd"_qs);
    row("End stops before a lone LF", u"a|b\ncd"_qs, {"End"}, u"ab|\ncd"_qs);
    row("Ctrl+Home", u"ab\r\nc|d"_qs, {"Ctrl+Home"}, u"|ab\r\ncd"_qs);
    row("Ctrl+End", u"a|b\r\ncd"_qs, {"Ctrl+End"}, u"ab\r\ncd|"_qs);
    row("Shift+End extends", u"a|bc\r\nd"_qs, {"Shift+End"}, u"a^bc|\r\nd"_qs);
    row("Shift+Right over CR LF extends", u"ab|\r\nd"_qs, {"Shift+Right"}, u"ab^\r\n|d"_qs);
    row("Ctrl+Shift+Home extends", u"ab\r\nc|d"_qs, {"Ctrl+Shift+Home"}, u"|ab\r\nc^d"_qs);
    row("Down keeps the column over a short line", u"xx|x\r\ny\r\nxxx"_qs, {"Down", "Down"},
        u"xxx\r\ny\r\nxx|x"_qs);
    row("Up", u"xxx\r\nx|x"_qs, {"Up"}, u"x|xx\r\nxx"_qs);
    row("Shift+Down extends", u"a|b\r\ncd"_qs, {"Shift+Down"}, u"a^b\r\nc|d"_qs);
    row("Up after Ctrl+A aims from the new caret", u"a|bcdef\r\nabcdef\r\nabcdef"_qs,
        {"Down", "Ctrl+A", "Up"}, u"abcdef\r\nabcdef|\r\nabcdef"_qs);
    // At the first and the last line, as QPlainTextEdit: the caret stays, a selection reaches
    // the text's start or end, and a page move keeps the column.
    row("Up on the first line stays", u"a|b\r\ncd"_qs, {"Up"}, u"a|b\r\ncd"_qs);
    row("Down on the last line stays", u"ab\r\nc|d"_qs, {"Down"}, u"ab\r\nc|d"_qs);
    row("Shift+Up on the first line selects to the start", u"a|b\r\ncd"_qs, {"Shift+Up"},
        u"|a^b\r\ncd"_qs);
    row("Shift+Down on the last line selects to the end", u"ab\r\nc|d"_qs, {"Shift+Down"},
        u"ab\r\nc^d|"_qs);
    row("Up on the first line keeps the column", u"a\r\nabcd|ef"_qs, {"Up", "Up", "Down"},
        u"a\r\nabcd|ef"_qs);
    row("Shift+Down on the last line forgets the column", u"a|b\r\n"_qs,
        {"Down", "Shift+Down", "Shift+Up"}, u"|ab\r\n^"_qs);
    row("PageUp on the first page keeps the column", u"abc\r\nab|c"_qs, {"PgUp"},
        u"ab|c\r\nabc"_qs);
    row("PageDown on the last page keeps the column", u"a|bc\r\nabc"_qs, {"PgDown"},
        u"abc\r\na|bc"_qs);
    row("PageUp on the first line keeps the selection", u"a^bc|\r\nabc"_qs, {"PgUp"},
        u"a^bc|\r\nabc"_qs);
    row("PageDown on the last line keeps the selection", u"abc\r\n|ab^c"_qs, {"PgDown"},
        u"abc\r\n|ab^c"_qs);
    row("Ctrl+Right to the next word", u"|jeden dwa"_qs, {"Ctrl+Right"}, u"jeden |dwa"_qs);
    row("Ctrl+Right at a line end", u"jeden|\r\ndwa"_qs, {"Ctrl+Right"}, u"jeden\r\n|dwa"_qs);
    row("Ctrl+Left to the word's start", u"jeden dwa|"_qs, {"Ctrl+Left"}, u"jeden |dwa"_qs);
    row("Ctrl+Left at a line start", u"jeden\r\n|dwa"_qs, {"Ctrl+Left"}, u"jeden|\r\ndwa"_qs);
    // Punctuation stops a word as in QPlainTextEdit: a run of it is a word of its own.
    row("Ctrl+Right stops at punctuation", u"jeden |dwa, trzy"_qs, {"Ctrl+Right"},
        u"jeden dwa|, trzy"_qs);
    row("Ctrl+Right over a run of punctuation", u"a|...b  c"_qs, {"Ctrl+Right"}, u"a...|b  c"_qs);
    row("Ctrl+Right stops at an apostrophe", u"|don't stop"_qs, {"Ctrl+Right"}, u"don|'t stop"_qs);
    row("Ctrl+Right over leading spaces", u"|  lead"_qs, {"Ctrl+Right"}, u"  |lead"_qs);
    row("Ctrl+Left onto punctuation", u"jeden dwa, |trzy"_qs, {"Ctrl+Left"},
        u"jeden dwa|, trzy"_qs);
    row("Ctrl+Left over spaces and a tab", u"zażółć\tgęślą |jaźń"_qs, {"Ctrl+Left"},
        u"zażółć\t|gęślą jaźń"_qs);
    row("Ctrl+Backspace stops at punctuation", u"a...b|"_qs, {"Ctrl+Backspace"}, u"a...|"_qs);
    row("Ctrl+Shift+Right extends by a word", u"|zażółć gęślą"_qs, {"Ctrl+Shift+Right"},
        u"^zażółć |gęślą"_qs);
    row("Ctrl+A", u"ab|\r\nc"_qs, {"Ctrl+A"}, u"^ab\r\nc|"_qs);
    row("Backspace takes CR LF whole", u"a\r\n|b"_qs, {"Backspace"}, u"a|b"_qs);
    row("Backspace takes a surrogate pair", u"x😀|"_qs, {"Backspace"}, u"x|"_qs);
    row("Delete takes the selection", u"a^bc|d"_qs, {"Delete"}, u"a|d"_qs);
    row("Ctrl+Backspace takes a word", u"jeden dwa|"_qs, {"Ctrl+Backspace"}, u"jeden |"_qs);
    row("Ctrl+Delete takes a word", u"|jeden dwa"_qs, {"Ctrl+Delete"}, u"|dwa"_qs);
    row("Enter inserts CR LF", u"a|b"_qs, {"Return"}, u"a\r\n|b"_qs);
    row("Shift+Enter inserts CR LF", u"a|b"_qs, {"Shift+Return"}, u"a\r\n|b"_qs);
    row("Enter over a selection", u"a^bc|d"_qs, {"Enter"}, u"a\r\n|d"_qs);
}

void TextBoxKeysTest::keysMoveSelectAndEdit()
{
    QFETCH(QString, before);
    QFETCH(QStringList, keys);
    QFETCH(QString, after);
    TextBox box;
    box.resize(300, 200);
    showAndWait(box);
    const Marked start = unmark(before);
    box.setInitialText(start.text);
    box.setSelection(start.anchor, start.caret);
    for (const QString &key : keys)
        QTest::keySequence(&box, QKeySequence(key));
    QCOMPARE(mark(box), after);
}

void TextBoxKeysTest::pageDownMovesAPage()
{
    QStringList lines;
    for (int line = 0; line < 200; ++line)
        lines << QString::number(line);
    TextBox box;
    box.resize(300, 200);
    showAndWait(box);
    box.setInitialText(lines.join(u"\r\n"_qs));
    QTest::keyClick(&box, Qt::Key_PageDown);
    const qsizetype line = box.buffer().lineAt(box.caretPosition());
    QVERIFY2(line >= 5 && line < 20, qPrintable(QString::number(line)));
    QVERIFY(box.verticalScrollBar()->value() > 0);
    QTest::keyClick(&box, Qt::Key_PageUp);
    QCOMPARE(box.caretPosition(), 0);
    QCOMPARE(box.verticalScrollBar()->value(), 0);
}

void TextBoxKeysTest::tabMovesTheFocusOn()
{
    QWidget window;
    auto *box = new TextBox(&window);
    auto *next = new TextBox(&window);
    showAndWait(window);
    box->setFocus();
    QVERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(next->hasFocus());
    QCOMPARE(box->Text(), QString());
}

void TextBoxKeysTest::clipboardKeys_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("clipboardAfter");

    // Inside the area a line break is CR LF; on the clipboard it is LF, and any line end pasted
    // in becomes a CR LF.
    QTest::newRow("Ctrl+C copies, line breaks as LF")
        << u"^a\r\nb|c"_qs << "Ctrl+C" << u"old"_qs << u"^a\r\nb|c"_qs << u"a\nb"_qs;
    QTest::newRow("Ctrl+Insert copies")
        << u"x^yz|"_qs << "Ctrl+Ins" << u"old"_qs << u"x^yz|"_qs << u"yz"_qs;
    QTest::newRow("Ctrl+C without a selection keeps the clipboard")
        << u"a|b"_qs << "Ctrl+C" << u"old"_qs << u"a|b"_qs << u"old"_qs;
    QTest::newRow("Ctrl+X cuts") << u"a^b\r\nc|d"_qs << "Ctrl+X" << u"old"_qs << u"a|d"_qs
                                 << u"b\nc"_qs;
    QTest::newRow("Shift+Delete cuts")
        << u"^ab|c"_qs << "Shift+Del" << u"old"_qs << u"|c"_qs << u"ab"_qs;
    QTest::newRow("Shift+Delete without a selection takes nothing")
        << u"a|bc"_qs << "Shift+Del" << u"old"_qs << u"a|bc"_qs << u"old"_qs;
    QTest::newRow("Ctrl+V pastes every line end as CR LF")
        << u"a|b"_qs << "Ctrl+V" << u"1\n2\r3\r\n4"_qs << u"a1\r\n2\r\n3\r\n4|b"_qs
        << u"1\n2\r3\r\n4"_qs;
    QTest::newRow("Shift+Insert pastes over the selection")
        << u"^ab|c"_qs << "Shift+Ins" << u"Żółw"_qs << u"Żółw|c"_qs << u"Żółw"_qs;
    QTest::newRow("Ctrl+V of an empty clipboard changes nothing")
        << u"^ab|c"_qs << "Ctrl+V" << QString() << u"^ab|c"_qs << QString();
}

void TextBoxKeysTest::clipboardKeys()
{
    QFETCH(QString, before);
    QFETCH(QString, key);
    QFETCH(QString, offered);
    QFETCH(QString, after);
    QFETCH(QString, clipboardAfter);
    QApplication::clipboard()->setText(offered);
    TextBox box;
    box.setClipboard(std::make_unique<AreaClipboard>());
    const Marked start = unmark(before);
    box.setInitialText(start.text);
    box.setSelection(start.anchor, start.caret);
    QTest::keySequence(&box, QKeySequence(key));
    QCOMPARE(mark(box), after);
    QCOMPARE(QApplication::clipboard()->text(), clipboardAfter);
}

void TextBoxKeysTest::typingIsUndoneInSteps_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("afterEachUndo");

    // What QPlainTextEdit gave for the same keys.
    QTest::newRow("words typed in a row are one step")
        << u"|"_qs << QStringList{"a", "b", "Space", "c"} << QStringList{u"|"_qs};
    QTest::newRow("typing elsewhere starts a step")
        << u"|"_qs << QStringList{"a", "b", "Left", "x"} << QStringList{u"a|b"_qs, u"|"_qs};
    QTest::newRow("Backspaces in a row are one step")
        << u"abcd|"_qs << QStringList{"Backspace", "Backspace", "x"}
        << QStringList{u"ab|"_qs, u"abcd|"_qs};
    QTest::newRow("Enter is a step of its own") << u"|"_qs << QStringList{"a", "Return", "b"}
                                                << QStringList{u"a\r\n|"_qs, u"a|"_qs, u"|"_qs};
    QTest::newRow("each word deleted is a step")
        << u"jeden dwa trzy|"_qs << QStringList{"Ctrl+Backspace", "Ctrl+Backspace"}
        << QStringList{u"jeden dwa |"_qs, u"jeden dwa trzy|"_qs};
    QTest::newRow("a Backspace after a selection taken away is a step of its own")
        << u"a^bc|def"_qs << QStringList{"Del", "Backspace"}
        << QStringList{u"a|def"_qs, u"abc|def"_qs};
    QTest::newRow("a Backspace after Ctrl+Backspace is a step of its own")
        << u"abc def|"_qs << QStringList{"Ctrl+Backspace", "Backspace"}
        << QStringList{u"abc |"_qs, u"abc def|"_qs};
    QTest::newRow("Backspace over a line end is a step of its own")
        << u"ab\r\n|cd"_qs << QStringList{"Backspace", "Backspace"}
        << QStringList{u"ab|cd"_qs, u"ab\r\n|cd"_qs};
    QTest::newRow("Delete of a line end is a step of its own")
        << u"a|b\r\ncd"_qs << QStringList{"Del", "Del"}
        << QStringList{u"a|\r\ncd"_qs, u"a|b\r\ncd"_qs};
    QTest::newRow("Ctrl+Delete at the end adds no step")
        << u"ab|"_qs << QStringList{"x", "Ctrl+Del"} << QStringList{u"ab|"_qs};
    QTest::newRow("Ctrl+Backspace at the start adds no step")
        << u"|"_qs << QStringList{"a", "Home", "Ctrl+Backspace"} << QStringList{u"|"_qs};
    QTest::newRow("typing over a selection and on is one step")
        << u"^ab|cd"_qs << QStringList{"x", "y"} << QStringList{u"ab|cd"_qs};
}

void TextBoxKeysTest::typingIsUndoneInSteps()
{
    QFETCH(QString, before);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, afterEachUndo);
    TextBox box;
    const Marked start = unmark(before);
    box.setInitialText(start.text);
    box.setSelection(start.anchor, start.caret);
    for (const QString &key : keys) {
        if (key.size() == 1)
            QTest::keyClicks(&box, key);
        else
            QTest::keySequence(&box, QKeySequence(key));
    }
    for (const QString &expected : afterEachUndo) {
        QVERIFY(box.canUndo());
        QTest::keySequence(&box, QKeySequence::Undo);
        QCOMPARE(box.Text(), unmark(expected).text);
    }
    QVERIFY(!box.canUndo());
}

void TextBoxKeysTest::mouseSelects_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("after");

    QTest::newRow("click places the caret") << "click" << u"jeden dw|a\r\ntrzy"_qs;
    QTest::newRow("Shift+click extends") << "shift-click" << u"jed^en dw|a\r\ntrzy"_qs;
    QTest::newRow("double click selects a word") << "double" << u"jeden ^dwa|\r\ntrzy"_qs;
    QTest::newRow("triple click selects the line") << "triple" << u"^jeden dwa\r\n|trzy"_qs;
    QTest::newRow("dragging selects") << "drag" << u"j^eden dwa\r\ntr|zy"_qs;
}

void TextBoxKeysTest::mouseSelects()
{
    QFETCH(QString, gesture);
    QFETCH(QString, after);
    TextBox box;
    box.resize(300, 200);
    showAndWait(box);
    box.setInitialText(u"jeden dwa\r\ntrzy"_qs);
    box.SetSelStart(3);
    QWidget *page = box.viewport();
    const QPoint target = leftPartOf(box, 8);
    if (gesture == "click") {
        QTest::mouseClick(page, Qt::LeftButton, {}, target);
    } else if (gesture == "shift-click") {
        QTest::mouseClick(page, Qt::LeftButton, Qt::ShiftModifier, target);
    } else if (gesture == "double") {
        QTest::mouseDClick(page, Qt::LeftButton, {}, target);
    } else if (gesture == "triple") {
        QTest::mouseDClick(page, Qt::LeftButton, {}, target);
        QTest::mouseClick(page, Qt::LeftButton, {}, target);
    } else {
        QTest::mousePress(page, Qt::LeftButton, {}, leftPartOf(box, 1));
        QTest::mouseMove(page, leftPartOf(box, 13));
        QTest::mouseRelease(page, Qt::LeftButton, {}, leftPartOf(box, 13));
    }
    QCOMPARE(mark(box), after);
    QCOMPARE(page->cursor().shape(), Qt::IBeamCursor);
}

void TextBoxKeysTest::clicksSelectWordsAndLines_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("after");

    // What QPlainTextEdit selected for a click at each position: QTextCursor's word under it.
    const QString first = u"jeden dwa, trzy  (x.y) ab\r\n"_qs;
    const auto selected = [&first](int from, int to) {
        QString marked = first + u"koniec"_qs;
        marked.insert(to, u'|');
        marked.insert(from, u'^');
        return marked;
    };
    QTest::newRow("in a word") << 2 << 1 << selected(0, 5);
    QTest::newRow("on the space after a word: that word") << 2 << 5 << selected(0, 5);
    QTest::newRow("on a comma: the comma") << 2 << 9 << selected(9, 10);
    QTest::newRow("on the space after a comma: the comma") << 2 << 10 << selected(9, 10);
    QTest::newRow("between two spaces: the word before") << 2 << 16 << selected(11, 15);
    QTest::newRow("after a parenthesis") << 2 << 18 << selected(18, 19);
    QTest::newRow("triple: the line with its CR LF") << 3 << 3 << selected(0, int(first.size()));
    QTest::newRow("triple: the last line")
        << 3 << 30 << selected(int(first.size()), int(first.size()) + 6);
}

void TextBoxKeysTest::clicksSelectWordsAndLines()
{
    QFETCH(int, clicks);
    QFETCH(int, position);
    QFETCH(QString, after);
    TextBox box;
    box.resize(400, 200);
    showAndWait(box);
    box.setInitialText(unmark(after).text);
    QWidget *page = box.viewport();
    const QPoint target = leftPartOf(box, position);
    QTest::mouseDClick(page, Qt::LeftButton, {}, target);
    if (clicks == 3)
        QTest::mouseClick(page, Qt::LeftButton, {}, target);
    QCOMPARE(mark(box), after);
}

void TextBoxKeysTest::draggingPastTheEdgeScrolls()
{
    QStringList lines;
    for (int line = 0; line < 300; ++line)
        lines << QStringLiteral("wiersz %1").arg(line);
    TextBox box;
    box.resize(300, 200);
    showAndWait(box);
    box.setInitialText(lines.join(u"\r\n"_qs));
    QWidget *page = box.viewport();
    QTest::mousePress(page, Qt::LeftButton, {}, leftPartOf(box, 0));
    // Qt Test moves the mouse without a button held; the drag is the event itself.
    QMouseEvent below(QEvent::MouseMove, QPointF(20, page->height() + 30),
                      page->mapToGlobal(QPointF(20, page->height() + 30)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &below);
    QTRY_VERIFY(box.verticalScrollBar()->value() > 3);
    QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(20, page->height() - 5));
    QCOMPARE(box.anchorPosition(), 0);
    QVERIFY(box.buffer().lineAt(box.caretPosition()) > 10);
}

void TextBoxKeysTest::wheelScrollsBothWays()
{
    QStringList lines(200, QString(500, u'x'));
    TextBox box;
    box.resize(300, 200);
    showAndWait(box);
    box.setInitialText(lines.join(u"\r\n"_qs));
    const QPointF middle(100, 100);
    QWheelEvent down(middle, box.viewport()->mapToGlobal(middle), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box.viewport(), &down);
    QVERIFY(box.verticalScrollBar()->value() > 0);
    QWheelEvent sideways(middle, box.viewport()->mapToGlobal(middle), {}, QPoint(-120, 0),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box.viewport(), &sideways);
    QVERIFY(box.horizontalScrollBar()->value() > 0);
}

void TextBoxKeysTest::dropsInsertAtThePoint()
{
    TextBox box;
    box.resize(300, 200);
    showAndWait(box);
    box.setInitialText(u"ab\r\ncd"_qs);
    QMimeData data;
    data.setText(u"X\nY"_qs);
    const QPointF at = leftPartOf(box, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &drop);
    QCOMPARE(box.Text(), u"ab\r\ncX\r\nYd"_qs);
    QTest::keySequence(&box, QKeySequence::Undo);
    QCOMPARE(box.Text(), u"ab\r\ncd"_qs);
}

void TextBoxKeysTest::contextMenuIsQtsInPolish_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("enabled");

    QTest::addColumn<QStringList>("entries");

    // What QPlainTextEdit showed, under Qt's Polish translation.
    const QStringList all
        = {"&Cofnij", "&Przywróć", "W&ytnij", "S&kopiuj", "&Wklej", "Usuń", "Zaznacz wszystko"};
    QTest::newRow("fresh, nothing selected")
        << "fresh" << QStringList{"&Wklej", "Zaznacz wszystko"} << all;
    QTest::newRow("typed, text selected")
        << "selected"
        << QStringList{"&Cofnij", "W&ytnij", "S&kopiuj", "&Wklej", "Usuń", "Zaznacz wszystko"}
        << all;
    QTest::newRow("disabled, text selected")
        << "disabled" << QStringList{"S&kopiuj", "Zaznacz wszystko"}
        << QStringList{"S&kopiuj", "Zaznacz wszystko"};
}

void TextBoxKeysTest::contextMenuIsQtsInPolish()
{
    QFETCH(QString, state);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, entries);
    QTranslator polish;
    if (!polish.load(QLocale(QLocale::Polish), u"qtbase"_qs, u"_"_qs,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QSKIP("Qt's Polish translation is not installed");
    QCoreApplication::installTranslator(&polish);
    QApplication::clipboard()->setText(u"schowek"_qs);
    TextBox box;
    box.setInitialText(u"Text1"_qs);
    if (state != "fresh") {
        QTest::keyClicks(&box, u"x"_qs);
        box.SetSelStart(0);
        box.SetSelLength(2);
    }
    if (state == "disabled")
        box.SetEnabled(false);
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    QStringList on;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString text = action->text().section(u'\t', 0, 0);
        texts << text;
        if (action->isEnabled())
            on << text;
    }
    QCoreApplication::removeTranslator(&polish);
    QCOMPARE(texts, entries);
    QCOMPARE(on, enabled);
}

QTEST_MAIN(TextBoxKeysTest)
#include "tst_textboxkeys.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/Selection.h"
#include "common/RuntimeFailure.h"
#include "tests/support/PlainTextArea.h"
#include "tests/support/TextPositions.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <new>

// The three operations on a shown text area and the clipboard that other programs share.
class SelectionTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void selectAllSelectsTheWholeTextAndFocuses_data();
    void selectAllSelectsTheWholeTextAndFocuses();
    void copyPutsTheSelectionOnTheClipboard_data();
    void copyPutsTheSelectionOnTheClipboard();
    void copyLeavesTheAreaAsItWas();
    void copyThatFailsLeavesTheClipboardEmpty();
    void pasteWritesOverTheSelection_data();
    void pasteWritesOverTheSelection();
    void copyThenPasteDuplicatesTheText_data();
    void copyThenPasteDuplicatesTheText();
    void undoTakesBackAPaste_data();
    void undoTakesBackAPaste();

private:
    void putOnClipboard(const QString &text);

    std::unique_ptr<QWidget> m_window;
    TextBox *m_area = nullptr;
    QPushButton *m_button = nullptr;
};

void SelectionTest::init()
{
    QApplication::clipboard()->clear();
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_area = new TextBox;
    m_button = new QPushButton(u"Kopiuj"_qs);
    layout->addWidget(m_area);
    layout->addWidget(m_button);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    // As after a click on a button: the focus is not in the text area.
    m_button->setFocus();
}

void SelectionTest::cleanup()
{
    m_window.reset();
}

// What another program would put there: no text means the clipboard holds nothing.
void SelectionTest::putOnClipboard(const QString &text)
{
    if (text.isNull())
        QApplication::clipboard()->clear();
    else
        QApplication::clipboard()->setText(text);
}

void SelectionTest::selectAllSelectsTheWholeTextAndFocuses_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty area") << QString();
    QTest::newRow("initial text") << u"Text1"_qs;
    QTest::newRow("Polish letters") << u"Zażółć gęślą jaźń"_qs;
    QTest::newRow("CR LF pairs") << u"pierwsza\r\ndruga\r\n\r\nczwarta"_qs;
    QTest::newRow("ends in CR LF") << u"linia\r\n"_qs;
    QTest::newRow("lone CR and lone LF") << u"a\rb\nc\r"_qs;
}

void SelectionTest::selectAllSelectsTheWholeTextAndFocuses()
{
    QFETCH(QString, text);
    m_area->SetText(text);
    m_area->SetSelStart(int(text.size()) / 2);

    Selection::SelectAllText(*m_area);

    QCOMPARE(m_area->SelText(), text);
    QVERIFY(m_area->hasFocus());
    // Typing replaces the whole text.
    QTest::sendKeyEvent(QTest::Press, m_area, Qt::Key_unknown, u"ś"_qs, Qt::NoModifier);
    QCOMPARE(m_area->Text(), u"ś"_qs);
}

void SelectionTest::copyPutsTheSelectionOnTheClipboard_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("copied");

    QTest::newRow("whole Polish line") << u"Źrebię łąkę"_qs << 0 << 11 << u"Źrebię łąkę"_qs;
    QTest::newRow("part of a line") << u"Źrebię łąkę"_qs << 7 << 3 << u"łąk"_qs;
    QTest::newRow("across CR LF pairs") << u"raz\r\ndwa\r\ntrzy"_qs << 1 << 11 << u"az\ndwa\ntr"_qs;
    QTest::newRow("only a line break") << u"a\r\nb"_qs << 1 << 2 << u"\n"_qs;
    QTest::newRow("nothing selected empties the clipboard") << u"Text1"_qs << 2 << 0 << QString();
    QTest::newRow("empty area empties the clipboard") << QString() << 0 << 0 << QString();
}

void SelectionTest::copyPutsTheSelectionOnTheClipboard()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, copied);
    selectIn(*m_area, text, start, length);
    QApplication::clipboard()->setText(u"było tu wcześniej"_qs);

    Selection::CopySelection(*m_area);

    QCOMPARE(QApplication::clipboard()->text(), copied);
}

void SelectionTest::copyLeavesTheAreaAsItWas()
{
    selectIn(*m_area, u"Ala\r\nma kota"_qs, 2, 5);

    Selection::CopySelection(*m_area);

    QCOMPARE(m_area->Text(), u"Ala\r\nma kota"_qs);
    QCOMPARE(m_area->SelText(), u"a\r\nma"_qs);
}

// The clipboard is emptied first, so a copy that fails part-way does not leave on it what was
// there before, as if the copy had worked.
void SelectionTest::copyThatFailsLeavesTheClipboardEmpty()
{
    class SelectionTooLargeToRead : public PlainTextArea
    {
        QString SelText() const override { throw std::bad_alloc(); }
    };
    SelectionTooLargeToRead area;
    QApplication::clipboard()->setText(u"było tu wcześniej"_qs);

    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, Selection::CopySelection(area));

    QVERIFY(QApplication::clipboard()->text().isEmpty());
}

void SelectionTest::pasteWritesOverTheSelection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("caretAfter");

    QTest::newRow("inserts at the caret") << u"abc"_qs << 1 << 0 << u"XY"_qs << u"aXYbc"_qs << 3;
    QTest::newRow("replaces the selection")
        << u"abcdef"_qs << 1 << 3 << u"Zażółć"_qs << u"aZażółćef"_qs << 7;
    QTest::newRow("into an empty area")
        << QString() << 0 << 0 << u"gęślą jaźń"_qs << u"gęślą jaźń"_qs << 10;
    QTest::newRow("LF becomes CR LF") << u"ab"_qs << 1 << 0 << u"x\ny"_qs << u"ax\r\nyb"_qs << 5;
    QTest::newRow("lone CR becomes CR LF")
        << u"ab"_qs << 1 << 0 << u"x\ry\r"_qs << u"ax\r\ny\r\nb"_qs << 7;
    QTest::newRow("CR LF stays one break")
        << u"ab"_qs << 2 << 0 << u"\r\nx\r\n"_qs << u"ab\r\nx\r\n"_qs << 7;
    QTest::newRow("replaces a selection of lines")
        << u"a\r\nb\r\nc"_qs << 1 << 5 << u"-"_qs << u"a-c"_qs << 2;
    QTest::newRow("no text deletes the selection")
        << u"abcdef"_qs << 1 << 3 << QString() << u"aef"_qs << 1;
    QTest::newRow("no text and no selection changes nothing")
        << u"abc"_qs << 2 << 0 << QString() << u"abc"_qs << 2;
    QTest::newRow("empty text deletes the selection")
        << u"abcdef"_qs << 0 << 6 << u""_qs << QString() << 0;
    QTest::newRow("paragraph separator passes unchanged")
        << u"ab"_qs << 1 << 0 << u"x\u2029y"_qs << u"ax\u2029yb"_qs << 4;
}

void SelectionTest::pasteWritesOverTheSelection()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clipboard);
    QFETCH(QString, pasted);
    QFETCH(int, caretAfter);
    selectIn(*m_area, text, start, length);
    putOnClipboard(clipboard);

    Selection::PasteClipboard(*m_area);

    QCOMPARE(m_area->Text(), pasted);
    QCOMPARE(m_area->SelText(), QString());
    QCOMPARE(caretOf(*m_area), caretAfter);
}

void SelectionTest::copyThenPasteDuplicatesTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("pasteAt");
    QTest::addColumn<QString>("duplicated");

    const QString lines = u"Łódź\r\nGdańsk\r\n"_qs;
    QTest::newRow("whole text at its end") << lines << 0 << 14 << 14 << lines + lines;
    QTest::newRow("lines at the start")
        << lines << 4 << 10 << 0 << u"\r\nGdańsk\r\nŁódź\r\nGdańsk\r\n"_qs;
    QTest::newRow("empty lines") << u"a\r\n\r\nb"_qs << 1 << 4 << 6 << u"a\r\n\r\nb\r\n\r\n"_qs;
}

void SelectionTest::copyThenPasteDuplicatesTheText()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(int, pasteAt);
    QFETCH(QString, duplicated);
    selectIn(*m_area, text, start, length);

    Selection::CopySelection(*m_area);
    m_area->SetSelStart(pasteAt);
    Selection::PasteClipboard(*m_area);

    QCOMPARE(m_area->Text(), duplicated);
}

void SelectionTest::undoTakesBackAPaste_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clipboard");

    QTest::newRow("insert at the caret") << u"Text1"_qs << 5 << 0 << u"Zażółć"_qs;
    QTest::newRow("over a selection") << u"abc\r\ndef"_qs << 2 << 4 << u"X\nY\nZ"_qs;
    QTest::newRow("no text over a selection") << u"abc\r\ndef"_qs << 0 << 8 << QString();
    QTest::newRow("line ends of every kind and a frame mark")
        << u"ab"_qs << 1 << 0 << u"1\u20292\uFDD03\r4"_qs;
}

void SelectionTest::undoTakesBackAPaste()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clipboard);
    selectIn(*m_area, text, start, length);
    putOnClipboard(clipboard);
    Selection::PasteClipboard(*m_area);
    const QString pasted = m_area->Text();
    QVERIFY(pasted != text);
    m_area->setFocus();

    QTest::keySequence(m_area, QKeySequence::Undo);
    QCOMPARE(m_area->Text(), text);

    QTest::keySequence(m_area, QKeySequence::Redo);
    QCOMPARE(m_area->Text(), pasted);
}

QTEST_MAIN(SelectionTest)
#include "tst_selection.moc"

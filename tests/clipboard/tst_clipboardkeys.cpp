// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/AreaClipboard.h"
#include "clipboard/Selection.h"
#include "tests/support/TextPositions.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <memory>

// The text area's own copy, cut and paste keys give what the buttons give.
class ClipboardKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void copyKeyMatchesCopyButton_data();
    void copyKeyMatchesCopyButton();
    void pasteKeyMatchesPasteButton_data();
    void pasteKeyMatchesPasteButton();
    void cutKeyCopiesAndDeletesTheSelection_data();
    void cutKeyCopiesAndDeletesTheSelection();
    void cutKeyWithoutAClipboardKeepsTheSelection();

private:
    std::unique_ptr<TextBox> m_area;
};

void ClipboardKeysTest::init()
{
    QApplication::clipboard()->clear();
    m_area = std::make_unique<TextBox>();
    m_area->setClipboard(std::make_unique<AreaClipboard>());
    m_area->show();
    QApplication::setActiveWindow(m_area.get());
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
    m_area->setFocus();
}

void ClipboardKeysTest::cleanup()
{
    m_area.reset();
}

static void addSelections()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");

    QTest::newRow("part of a Polish line") << u"Zażółć gęślą jaźń"_qs << 7 << 5;
    QTest::newRow("across CR LF pairs") << u"raz\r\ndwa\r\ntrzy"_qs << 2 << 9;
    QTest::newRow("whole text with empty lines") << u"\r\na\r\n\r\n"_qs << 0 << 7;
    QTest::newRow("lone CR and lone LF") << u"a\rb\nc"_qs << 0 << 5;
}

void ClipboardKeysTest::copyKeyMatchesCopyButton_data()
{
    addSelections();
}

void ClipboardKeysTest::copyKeyMatchesCopyButton()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    selectIn(*m_area, text, start, length);
    Selection::CopySelection(*m_area);
    const QString fromButton = QApplication::clipboard()->text();
    QApplication::clipboard()->clear();

    QTest::keySequence(m_area.get(), QKeySequence::Copy);

    QCOMPARE(QApplication::clipboard()->text(), fromButton);
}

void ClipboardKeysTest::pasteKeyMatchesPasteButton_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clipboard");

    QTest::newRow("Polish letters at the caret") << u"abc"_qs << 1 << 0 << u"żółw"_qs;
    QTest::newRow("over a selection") << u"abc\r\ndef"_qs << 2 << 4 << u"X"_qs;
    QTest::newRow("LF from another program") << u"ab"_qs << 1 << 0 << u"x\ny\n"_qs;
    QTest::newRow("lone CR from another program") << u"ab"_qs << 1 << 0 << u"x\ry"_qs;
    QTest::newRow("CR LF from another program") << u"ab"_qs << 1 << 0 << u"x\r\ny"_qs;
    QTest::newRow("paragraph separator") << u"ab"_qs << 1 << 0 << u"x\u2029y"_qs;
}

void ClipboardKeysTest::pasteKeyMatchesPasteButton()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clipboard);
    QApplication::clipboard()->setText(clipboard);
    selectIn(*m_area, text, start, length);
    Selection::PasteClipboard(*m_area);
    const QString fromButton = m_area->Text();
    const int caretFromButton = caretOf(*m_area);
    selectIn(*m_area, text, start, length);

    QTest::keySequence(m_area.get(), QKeySequence::Paste);

    QCOMPARE(m_area->Text(), fromButton);
    QCOMPARE(caretOf(*m_area), caretFromButton);
    QTest::keySequence(m_area.get(), QKeySequence::Undo);
    QCOMPARE(m_area->Text(), text);
}

void ClipboardKeysTest::cutKeyCopiesAndDeletesTheSelection_data()
{
    addSelections();
}

void ClipboardKeysTest::cutKeyCopiesAndDeletesTheSelection()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    selectIn(*m_area, text, start, length);
    Selection::CopySelection(*m_area);
    const QString fromButton = QApplication::clipboard()->text();
    m_area->SetSelText(QString());
    const QString withoutSelection = m_area->Text();
    selectIn(*m_area, text, start, length);
    QApplication::clipboard()->clear();

    QTest::keySequence(m_area.get(), QKeySequence::Cut);

    QCOMPARE(QApplication::clipboard()->text(), fromButton);
    QCOMPARE(m_area->Text(), withoutSelection);
    QTest::keySequence(m_area.get(), QKeySequence::Undo);
    QCOMPARE(m_area->Text(), text);
}

// An area that was given no clipboard cannot cut: the text it would have lost stays.
void ClipboardKeysTest::cutKeyWithoutAClipboardKeepsTheSelection()
{
    m_area->setClipboard(nullptr);
    selectIn(*m_area, u"jeden\r\ndwa"_qs, 2, 5);

    QTest::keySequence(m_area.get(), QKeySequence::Cut);

    QCOMPARE(m_area->Text(), u"jeden\r\ndwa"_qs);
}

QTEST_MAIN(ClipboardKeysTest)

#include "tst_clipboardkeys.moc"

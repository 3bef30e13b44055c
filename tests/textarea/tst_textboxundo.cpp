// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBox.h"

#include <QTest>

// Undo and Redo across replacements of the whole text (a read file, a large paste): the latest
// replacement can be undone once every later edit is, and no older text is kept.
class TextBoxUndoTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stepsGiveTheText_data();
    void stepsGiveTheText();
    void largePasteInTheMiddle();

private:
    void run(const QString &step);

    std::unique_ptr<TextBox> m_area;
};

namespace {

// Long enough to count as a large edit, which replaces the whole text.
const QString Large = QString(1 << 20, u'ł') + u"\r\nkoniec"_qs;

} // namespace

void TextBoxUndoTest::init()
{
    m_area = std::make_unique<TextBox>();
    m_area->setInitialText(u"Text1"_qs);
}

void TextBoxUndoTest::cleanup()
{
    m_area.reset();
}

// "set:T" writes the whole text, "type:T" types at the caret, "undo" and "redo" press the keys,
// "paste-all:large" selects everything and writes the large text over it.
void TextBoxUndoTest::run(const QString &step)
{
    if (step.startsWith(u"set:")) {
        m_area->SetText(step.mid(4));
    } else if (step.startsWith(u"type:")) {
        QTest::keyClicks(m_area.get(), step.mid(5));
    } else if (step == u"undo") {
        QTest::keySequence(m_area.get(), QKeySequence::Undo);
    } else if (step == u"redo") {
        QTest::keySequence(m_area.get(), QKeySequence::Redo);
    } else if (step == u"paste-all:large") {
        m_area->SetSelStart(0);
        m_area->SetSelLength(int(m_area->Text().size()));
        m_area->SetSelText(Large);
    } else {
        QFAIL(qPrintable(u"unknown step "_qs + step));
    }
}

void TextBoxUndoTest::stepsGiveTheText_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("canUndo");
    QTest::addColumn<bool>("canRedo");

    QTest::newRow("the initial text stays") << QStringList{"undo"} << u"Text1"_qs << false << false;
    QTest::newRow("undo of a read gives the earlier text")
        << QStringList{"set:pierwszy\r\n", "undo"} << u"Text1"_qs << false << true;
    QTest::newRow("redo gives the read text back")
        << QStringList{"set:pierwszy\r\n", "undo", "redo"} << u"pierwszy\r\n"_qs << true << false;
    QTest::newRow("only the latest earlier text is kept")
        << QStringList{"set:A\r\n", "set:B\r\n", "set:C\r\n", "undo", "undo"} << u"B\r\n"_qs
        << false << true;
    QTest::newRow("typing after a read is undone first")
        << QStringList{"set:A\r\n", "set:B\r\n", "type:xy", "undo"} << u"B\r\n"_qs << true << true;
    QTest::newRow("then the read itself")
        << QStringList{"set:A\r\n", "set:B\r\n", "type:xy", "undo", "undo"} << u"A\r\n"_qs << false
        << true;
    QTest::newRow("typing after undoing a read drops its redo")
        << QStringList{"set:A", "undo", "type:z", "redo"} << u"zText1"_qs << true << false;
    QTest::newRow("a large paste over everything is undone whole")
        << QStringList{"set:Łódź\r\n", "paste-all:large", "undo"} << u"Łódź\r\n"_qs << false
        << true;
    QTest::newRow("and redone whole")
        << QStringList{"set:Łódź\r\n", "paste-all:large", "undo", "redo"} << Large << true << false;
}

void TextBoxUndoTest::stepsGiveTheText()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, text);
    QFETCH(bool, canUndo);
    QFETCH(bool, canRedo);
    for (const QString &step : steps)
        run(step);
    QCOMPARE(m_area->Text(), text);
    QCOMPARE(m_area->canUndo(), canUndo);
    QCOMPARE(m_area->canRedo(), canRedo);
}

// The rest of the text stays exact, line ends of every kind included, and the caret follows the
// pasted text.
void TextBoxUndoTest::largePasteInTheMiddle()
{
    const QString before = u"a\rb\nc\r\nd"_qs;
    m_area->SetText(before);
    m_area->SetSelStart(2);
    m_area->SetSelLength(3);
    m_area->SetSelText(Large);
    QCOMPARE(m_area->Text(), u"a\r"_qs + Large + u"\r\nd"_qs);
    QCOMPARE(m_area->caretPosition(), 2 + Large.size());
    QVERIFY(!m_area->hasSelection());
    m_area->undo();
    QCOMPARE(m_area->Text(), before);
}

QTEST_MAIN(TextBoxUndoTest)
#include "tst_textboxundo.moc"

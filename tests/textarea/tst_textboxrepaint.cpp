// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/HeldPixels.h"
#include "tests/support/ScriptTexts.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>

// A key repaints only the rows its edit changed. Whatever the window holds after it must be what
// the whole viewport painted at once shows: a row left out keeps a line as it was before.
class TextBoxRepaintTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void editLeavesWhatAWholePaintShows_data();
    void editLeavesWhatAWholePaintShows();

private:
    int m_flashTime = 0;
};

namespace {

// The rows in which two images of the same size differ, as "from-to" ranges.
QStringList differingRows(const QImage &first, const QImage &second)
{
    QStringList ranges;
    int from = -1;
    for (int y = 0; y <= first.height(); ++y) {
        const bool differs = y < first.height()
                             && std::memcmp(first.constScanLine(y), second.constScanLine(y),
                                            size_t(first.bytesPerLine()))
                                    != 0;
        if (differs && from < 0)
            from = y;
        if (!differs && from >= 0) {
            ranges << u"%1-%2"_qs.arg(from).arg(y - 1);
            from = -1;
        }
    }
    return ranges;
}

QString numberedLines(int count)
{
    QStringList lines;
    for (int line = 0; line < count; ++line)
        lines << u"Wiersz numer %1 z notatek"_qs.arg(line);
    return lines.join(u"\r\n"_qs);
}

} // namespace

void TextBoxRepaintTest::initTestCase()
{
    // A caret that does not blink is drawn alike in both pictures.
    m_flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

void TextBoxRepaintTest::cleanupTestCase()
{
    QGuiApplication::styleHints()->setCursorFlashTime(m_flashTime);
}

void TextBoxRepaintTest::editLeavesWhatAWholePaintShows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("firstLine");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<bool>("needsScriptFonts");

    const QString lines = u"Ala ma kota\r\nPies i kot\r\nZażółć gęślą jaźń\r\nKoniec"_qs;
    QTest::newRow("a letter in the middle of a line")
        << lines << 0 << 4 << 4 << QList<int>{Qt::Key_X} << false;
    QTest::newRow("Backspace in a line")
        << lines << 0 << 5 << 5 << QList<int>{Qt::Key_Backspace} << false;
    QTest::newRow("Enter splits a line, the lines below move down")
        << lines << 0 << 4 << 4 << QList<int>{Qt::Key_Return} << false;
    QTest::newRow("Backspace at a line start joins it to the line above")
        << lines << 0 << 13 << 13 << QList<int>{Qt::Key_Backspace} << false;
    QTest::newRow("Delete at a line end joins the line below")
        << lines << 0 << 11 << 11 << QList<int>{Qt::Key_Delete} << false;
    QTest::newRow("a selection across lines typed over")
        << lines << 0 << 2 << 30 << QList<int>{Qt::Key_Y} << false;
    QTest::newRow("a selection within a line deleted")
        << lines << 0 << 13 << 17 << QList<int>{Qt::Key_Delete} << false;
    QTest::newRow("the last line typed on")
        << lines << 0 << 48 << 48 << QList<int>{Qt::Key_A, Qt::Key_B} << false;
    QTest::newRow("a line typed on in a scrolled view")
        << numberedLines(200) << 100 << 2700 << 2700 << QList<int>{Qt::Key_Z} << false;
    QTest::newRow("Enter in a scrolled view")
        << numberedLines(200) << 100 << 2700 << 2700 << QList<int>{Qt::Key_Return} << false;
    QTest::newRow("a line typed on until it is the widest")
        << u"krótki\r\n%1\r\nkrótki"_qs.arg(QString(30, u'w')) << 0 << 6 << 6
        << QList<int>(40, Qt::Key_M) << false;
    // Marks stacked above and below a line reach into the rows beside it, which its repaint
    // must draw again once a mark is gone.
    QTest::newRow("a mark reaching into the row above taken away")
        << u"abc\r\nZ\u0308\u0308\u0308\u0308\u0308\r\nabc"_qs << 0 << 11 << 11
        << QList<int>{Qt::Key_Backspace} << false;
    QTest::newRow("a mark reaching into the row below taken away")
        << u"abc\r\nq\u0323\u0323\u0323\u0323\u0323\r\nabc"_qs << 0 << 11 << 11
        << QList<int>{Qt::Key_Backspace} << false;
    QTest::newRow("typed between lines whose marks reach into its row")
        << u"q\u0323\u0323\u0323\u0323\u0323\r\nabc\r\nZ\u0308\u0308\u0308\u0308\u0308"_qs << 0
        << 10 << 10 << QList<int>{Qt::Key_X} << false;
    QTest::newRow("typed on a line of emoji, Devanagari and Arabic")
        << u"नमस्ते दुनिया\r\n👨‍👩‍👧 ثم abc\r\nकोई"_qs
        << 0 << 27 << 27 << QList<int>{Qt::Key_X} << true;
}

void TextBoxRepaintTest::editLeavesWhatAWholePaintShows()
{
    QFETCH(QString, text);
    QFETCH(int, firstLine);
    QFETCH(int, anchor);
    QFETCH(int, caret);
    QFETCH(QList<int>, keys);
    QFETCH(bool, needsScriptFonts);
    if (needsScriptFonts) {
        if (const QString missing = missingScriptFonts(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
    }

    TextBox area;
    area.setFont(scriptFont());
    area.resize(320, 160);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QApplication::setActiveWindow(&area);
    QVERIFY(QTest::qWaitForWindowActive(&area));
    area.setFocus();
    area.setInitialText(text);
    area.verticalScrollBar()->setValue(firstLine);
    area.setSelection(anchor, caret);
    area.viewport()->repaint();

    for (const int key : keys) {
        QTest::keyClick(&area, Qt::Key(key));
        QVERIFY2(waitForPaint(area.viewport(), 5000), "the key painted nothing");
        // And whatever else the key asked to be painted.
        QCoreApplication::processEvents();
    }
    const QStringList rows
        = differingRows(heldPixels(area.viewport()), freshPixels(area.viewport()));
    QVERIFY2(rows.isEmpty(),
             qPrintable(u"rows not as a whole paint draws them: "_qs + rows.join(u' ')));
}

QTEST_MAIN(TextBoxRepaintTest)
#include "tst_textboxrepaint.moc"

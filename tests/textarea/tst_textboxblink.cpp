// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/HeldPixels.h"
#include "tests/support/ScriptTexts.h"
#include "tests/support/StockComparison.h"

#include <QApplication>
#include <QStyleHints>

// The blinking caret repaints only its own rectangle. Whatever it draws there must match the
// whole line drawn at once: a blink that draws the glyphs beside the caret otherwise erases or
// overdraws parts of them, and changes them at every blink.
class TextBoxBlinkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void blinkChangesOnlyTheCaretsColumns_data() { addScriptTextRows(); }
    void blinkChangesOnlyTheCaretsColumns();

private:
    int m_flashTime = 0;
};

namespace {

bool showsCaret(const QImage &pixels, const QRect &caret, QRgb colour)
{
    for (int y = caret.top(); y <= caret.bottom(); ++y) {
        for (int x = caret.left(); x <= caret.right(); ++x) {
            if (pixels.pixel(x, y) != colour)
                return false;
        }
    }
    return true;
}

// The columns in which two images of the same size differ, as "from-to" ranges.
QStringList differingColumns(const QImage &first, const QImage &second)
{
    QStringList ranges;
    int from = -1;
    for (int x = 0; x <= first.width(); ++x) {
        bool differs = false;
        for (int y = 0; x < first.width() && y < first.height() && !differs; ++y)
            differs = first.pixel(x, y) != second.pixel(x, y);
        if (differs && from < 0)
            from = x;
        if (!differs && from >= 0) {
            ranges << u"%1-%2"_qs.arg(from).arg(x - 1);
            from = -1;
        }
    }
    return ranges;
}

// The columns where the frames differ, outside the caret's own.
QStringList differingBesideCaret(QImage first, QImage second, const QRect &caret)
{
    for (QImage *frame : {&first, &second}) {
        for (int y = 0; y < frame->height(); ++y) {
            for (int x = std::max(0, caret.left());
                 x <= std::min(caret.right(), frame->width() - 1); ++x)
                frame->setPixel(x, y, 0);
        }
    }
    return differingColumns(first, second);
}

} // namespace

void TextBoxBlinkTest::initTestCase()
{
    if (const QString missing = missingScriptFonts(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    // Blinks close together, so that each stop is seen shown and hidden soon.
    m_flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(24);
}

void TextBoxBlinkTest::cleanupTestCase()
{
    QGuiApplication::styleHints()->setCursorFlashTime(m_flashTime);
}

void TextBoxBlinkTest::blinkChangesOnlyTheCaretsColumns()
{
    QFETCH(QString, text);
    StockComparison both;
    QVERIFY(both.show());
    both.setText(text);
    const QList<int> stops = both.stockStopPositions();
    TextBox &area = both.area;
    QApplication::setActiveWindow(&area);
    QVERIFY(QTest::qWaitForWindowActive(&area));
    area.setFocus();
    QVERIFY(area.hasFocus());
    const QRgb caretColour = area.palette().color(QPalette::Text).rgb();

    QStringList wrong;
    for (const int stop : stops) {
        both.select(stop, stop);
        // Each stop starts from the whole viewport drawn at once.
        area.viewport()->repaint();
        const QRect caret = area.caretRect();
        // The first frame without the caret, and the first with it after that: each drawn by a
        // blink alone.
        std::optional<QImage> hidden;
        std::optional<QImage> shown;
        QImage whole;
        while (!shown) {
            QVERIFY2(waitForPaint(area.viewport(), 5000), "the caret stopped blinking");
            const QImage frame = heldPixels(area.viewport());
            if (!showsCaret(frame, caret, caretColour) && !hidden) {
                whole = freshPixels(area.viewport());
                // Unless the caret came back meanwhile, and that frame cannot tell.
                if (!showsCaret(whole, caret, caretColour))
                    hidden = frame;
            } else if (showsCaret(frame, caret, caretColour) && hidden) {
                shown = frame;
            }
        }
        if (const QStringList columns = differingColumns(*hidden, whole); !columns.isEmpty())
            wrong << u"at %1 the caret hidden leaves columns %2 not as drawn whole"_qs.arg(stop)
                         .arg(columns.join(u' '));
        if (const QStringList columns = differingBesideCaret(*hidden, *shown, caret);
            !columns.isEmpty())
            wrong << u"at %1 (caret at %2) the blink changes columns %3"_qs.arg(stop)
                         .arg(caret.x())
                         .arg(columns.join(u' '));
    }
    // The first few, so that the message is shown whole.
    QVERIFY2(wrong.isEmpty(),
             qPrintable(u"%1 faults at %2 stops: "_qs.arg(wrong.size()).arg(stops.size())
                        + wrong.mid(0, 6).join(u"; "_qs)));
}

QTEST_MAIN(TextBoxBlinkTest)
#include "tst_textboxblink.moc"

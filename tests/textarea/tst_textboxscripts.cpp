// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ScriptTexts.h"
#include "tests/support/StockComparison.h"

#include <QScrollBar>
#include <QTest>

#include <utility>

// Scripts that need shaping, bidi and font fallback, and characters drawn specially, behave in
// the text area as in QPlainTextEdit, the stock widget it replaced: where the caret stops and is
// drawn, where a click lands, what Backspace and Delete remove and what a selection highlights.
// The stock widget beside it, with the same font, palette and size, gives every expected answer.
class TextBoxScriptsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void caretStopsWhereTheStockWidgetsDid_data() { addScriptTextRows(); }
    void caretStopsWhereTheStockWidgetsDid();
    void clickLandsWhereTheStockWidgetsDid_data() { addScriptTextRows(); }
    void clickLandsWhereTheStockWidgetsDid();
    void backspaceAndDeleteRemoveWhatTheStockWidgetRemoved_data() { addScriptTextRows(); }
    void backspaceAndDeleteRemoveWhatTheStockWidgetRemoved();
    void selectionIsHighlightedWhereTheStockWidgetHighlightedIt_data() { addScriptTextRows(); }
    void selectionIsHighlightedWhereTheStockWidgetHighlightedIt();
    void longLineAgreesNearItsEnds_data();
    void longLineAgreesNearItsEnds();
};

namespace {

// Texts in messages, with what cannot be seen spelled out.
QString visible(const QString &text)
{
    QString shown;
    for (const QChar character : text) {
        if (character.unicode() < 0x20 || (character.unicode() >= 0x7f && !character.isLetter()))
            shown += u"\\u%1"_qs.arg(character.unicode(), 4, 16, QChar(u'0'));
        else
            shown += character;
    }
    return shown;
}

// The first few items, so that a message stays short enough to be shown whole.
QString firstOf(const QStringList &items)
{
    constexpr qsizetype Shown = 6;
    return items.mid(0, Shown).join(u"; "_qs) + (items.size() > Shown ? u"; ..."_qs : QString());
}

// Columns as runs, "10-19 30-31", or "none".
QString runsOf(const QList<int> &columns)
{
    QStringList runs;
    for (qsizetype first = 0, last = 0; first < columns.size(); first = last) {
        for (last = first + 1;
             last < columns.size() && columns.at(last) == columns.at(last - 1) + 1;)
            ++last;
        runs << u"%1-%2"_qs.arg(columns.at(first)).arg(columns.at(last - 1));
    }
    return runs.isEmpty() ? u"none"_qs : runs.join(u' ');
}

QString positionsOf(const QList<CaretStop> &stops)
{
    QStringList positions;
    for (const CaretStop &stop : stops)
        positions << QString::number(stop.position);
    return positions.join(u' ');
}

// The stops whose x is off by more than a pixel, each as "position: area x, not stock x", the x
// counted from the origin in each widget; nothing when there are none.
QString misplacedStops(const QList<CaretStop> &area, const QList<CaretStop> &stock,
                       int areaOrigin = 0, int stockOrigin = 0)
{
    QStringList misplaced;
    int worst = 0;
    for (qsizetype stop = 0; stop < std::min(area.size(), stock.size()); ++stop) {
        const int areaX = area.at(stop).x - areaOrigin;
        const int stockX = stock.at(stop).x - stockOrigin;
        worst = std::max(worst, qAbs(areaX - stockX));
        if (qAbs(areaX - stockX) > 1)
            misplaced << u"%1: %2, not %3"_qs.arg(stock.at(stop).position).arg(areaX).arg(stockX);
    }
    if (misplaced.isEmpty())
        return {};
    return u"caret x off by up to %1 px at %2 of %3 stops: "_qs.arg(worst)
               .arg(misplaced.size())
               .arg(stock.size())
           + firstOf(misplaced);
}

// What went wrong in some of the tries, with how many.
QString failures(const QStringList &wrong, qsizetype tries)
{
    return u"%1 of %2: "_qs.arg(wrong.size()).arg(tries) + firstOf(wrong);
}

// Where the stops of a walk from from with key differ: positions, or x by more than a pixel.
QString differentStops(const QList<CaretStop> &area, const QList<CaretStop> &stock,
                       const QString &walk, int areaOrigin = 0, int stockOrigin = 0)
{
    if (positionsOf(area) != positionsOf(stock))
        return u"%1 stops at %2, not %3"_qs.arg(walk, positionsOf(area), positionsOf(stock));
    if (const QString misplaced = misplacedStops(area, stock, areaOrigin, stockOrigin);
        !misplaced.isEmpty())
        return walk + u": "_qs + misplaced;
    return {};
}

} // namespace

void TextBoxScriptsTest::initTestCase()
{
    if (const QString missing = missingScriptFonts(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
}

void TextBoxScriptsTest::caretStopsWhereTheStockWidgetsDid()
{
    QFETCH(QString, text);
    StockComparison both;
    QVERIFY(both.show());
    both.setText(text);
    QStringList wrong;
    for (const int from : {0, int(text.size())}) {
        for (const auto &[key, name] :
             {std::pair{Qt::Key_Right, "Right"}, {Qt::Key_Left, "Left"}}) {
            both.select(from, from);
            const QList<CaretStop> stock = both.stockStops(key);
            both.select(from, from);
            const QList<CaretStop> area = both.areaStops(key);
            const QString walk = u"%1 from %2"_qs.arg(QLatin1String(name)).arg(from);
            if (const QString different = differentStops(area, stock, walk); !different.isEmpty())
                wrong << different;
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"\n"_qs)));
}

void TextBoxScriptsTest::clickLandsWhereTheStockWidgetsDid()
{
    QFETCH(QString, text);
    StockComparison both;
    QVERIFY(both.show());
    both.setText(text);
    int lineEnd = 0;
    for (const int position : both.stockStopPositions()) {
        both.select(position, position);
        lineEnd = std::max(lineEnd, both.stockCaret().x);
    }
    QStringList misplaced;
    int clicks = 0;
    // From the margin before the text to past its end, every third pixel.
    for (int x = 0; x < lineEnd + 24; x += 3, ++clicks) {
        const int stock = both.clickStock(x);
        const int area = both.clickArea(x);
        if (area != stock)
            misplaced << u"x %1: %2, not %3"_qs.arg(x).arg(area).arg(stock);
    }
    QVERIFY2(misplaced.isEmpty(), qPrintable(u"clicks "_qs + failures(misplaced, clicks)));
}

void TextBoxScriptsTest::backspaceAndDeleteRemoveWhatTheStockWidgetRemoved()
{
    QFETCH(QString, text);
    StockComparison both;
    QVERIFY(both.show());
    both.setText(text);
    QStringList wrong;
    const QList<int> stops = both.stockStopPositions();
    for (const int stop : stops) {
        for (const auto &[key, name] :
             {std::pair{Qt::Key_Backspace, "Backspace"}, std::pair{Qt::Key_Delete, "Delete"}}) {
            both.setText(text);
            both.select(stop, stop);
            QTest::keyClick(&both.stock, key);
            QTest::keyClick(&both.area, key);
            if (both.areaText() != both.stockText()) {
                wrong << u"%1 at %2: '%3', not '%4'"_qs.arg(QLatin1String(name))
                             .arg(stop)
                             .arg(visible(both.areaText()), visible(both.stockText()));
            }
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(u"keys "_qs + failures(wrong, 2 * stops.size())));
}

void TextBoxScriptsTest::selectionIsHighlightedWhereTheStockWidgetHighlightedIt()
{
    QFETCH(QString, text);
    StockComparison both;
    QVERIFY(both.show());
    both.setText(text);
    // Nothing but a selection is drawn in the highlight's colour.
    QVERIFY(both.stockHighlightColumns().isEmpty());
    QVERIFY(both.areaHighlightColumns().isEmpty());

    const QList<int> stops = both.stockStopPositions();
    QList<std::pair<int, int>> ranges;
    for (qsizetype stop = 1; stop < stops.size(); ++stop)
        ranges << std::pair{stops.at(stop - 1), stops.at(stop)};
    const qsizetype middle = stops.size() / 2;
    ranges << std::pair{stops.first(), stops.last()} << std::pair{stops.last(), stops.at(middle)}
           << std::pair{stops.value(1), stops.value(stops.size() - 2)};
    QStringList wrong;
    for (const auto &[anchor, caret] : std::as_const(ranges)) {
        both.select(anchor, caret);
        const QList<int> stock = both.stockHighlightColumns();
        const QList<int> area = both.areaHighlightColumns();
        if (columnDistance(area, stock) > 1)
            wrong << u"%1..%2: %3, not %4"_qs.arg(anchor).arg(caret).arg(runsOf(area),
                                                                         runsOf(stock));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(u"selections "_qs + failures(wrong, ranges.size())));
}

void TextBoxScriptsTest::longLineAgreesNearItsEnds_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("12,000 characters") << 12'000;
    QTest::newRow("30,000 characters") << 30'000;
}

// A line this long is laid out in windows around what is on show, so only near its start and
// near its end, each inside one window, do the stops and clicks have to agree. Scrolled to the
// end, the two may stand a fraction apart: x counts from where the caret stands at the end.
void TextBoxScriptsTest::longLineAgreesNearItsEnds()
{
    QFETCH(int, length);
    StockComparison both;
    QVERIFY(both.show());
    const QString text = scriptTextLine(length);
    both.setText(text);
    const int width = both.area.viewport()->width();
    const auto scrolled = [&both] {
        return std::pair{both.area.horizontalScrollBar()->value(),
                         both.stock.horizontalScrollBar()->value()};
    };
    QStringList wrong;
    for (const auto &[toEnd, key] :
         {std::pair{false, Qt::Key_Right}, std::pair{true, Qt::Key_Left}}) {
        const auto placeCaret = [&both, toEnd = toEnd] {
            both.select(0, 0);
            if (toEnd) {
                QTest::keyClick(&both.stock, Qt::Key_End, Qt::ControlModifier);
                QTest::keyClick(&both.area, Qt::Key_End, Qt::ControlModifier);
            }
        };
        placeCaret();
        const auto scroll = scrolled();
        QList<CaretStop> stock{both.stockCaret()};
        QList<CaretStop> area{both.areaCaret()};
        // Until the caret would leave what is on show in either.
        while (stock.size() < text.size()) {
            QTest::keyClick(&both.stock, key);
            QTest::keyClick(&both.area, key);
            const CaretStop stockStop = both.stockCaret();
            const CaretStop areaStop = both.areaCaret();
            if (scrolled() != scroll || std::min(stockStop.x, areaStop.x) < 0
                || std::max(stockStop.x, areaStop.x) >= width)
                break;
            stock << stockStop;
            area << areaStop;
        }
        const QString walk = toEnd ? u"Left from the end"_qs : u"Right from the start"_qs;
        if (const QString different
            = differentStops(area, stock, walk, area.first().x, stock.first().x);
            !different.isEmpty())
            wrong << different;

        // Clicks across what is on show, at the same distance from the first stop in each.
        placeCaret();
        QVERIFY(scrolled() == scroll);
        QStringList clicked;
        int clicks = 0;
        for (int offset = -width; offset < width; offset += 4) {
            const int stockX = stock.first().x + offset;
            const int areaX = area.first().x + offset;
            if (std::min(stockX, areaX) < 8 || std::max(stockX, areaX) > width - 8)
                continue;
            const int stockAt = both.clickStock(stockX);
            const int areaAt = both.clickArea(areaX);
            QVERIFY(scrolled() == scroll);
            ++clicks;
            if (areaAt != stockAt)
                clicked << u"x %1: %2, not %3"_qs.arg(offset).arg(areaAt).arg(stockAt);
        }
        if (!clicked.isEmpty())
            wrong << walk + u", clicks "_qs + failures(clicked, clicks);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"\n"_qs)));
}

QTEST_MAIN(TextBoxScriptsTest)
#include "tst_textboxscripts.moc"

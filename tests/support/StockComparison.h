// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text area beside the stock QPlainTextEdit it replaced, set up alike (font, palette, size,
// no wrapping, both scroll bars shown) and shown, so that a test asks both the same and takes the
// stock widget's answer as the right one. Positions are in the stock widget's count: it counts a
// line break as one character, the area as two (CR LF).

#include "tests/support/ScriptTexts.h"
#include "textarea/TextBox.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <algorithm>

// Where the caret stands after a key, and where it is drawn.
struct CaretStop
{
    int position;
    int x;
};

class StockComparison
{
public:
    // A colour neither the text nor any glyph is drawn in, so that its pixels are the selection's.
    static QColor highlight() { return QColor(0x1e, 0xc8, 0x5a); }

    explicit StockComparison(QSize size = {640, 120})
    {
        QPalette colours = area.palette();
        colours.setColor(QPalette::Highlight, highlight());
        colours.setColor(QPalette::HighlightedText, Qt::white);
        for (QAbstractScrollArea *widget : {static_cast<QAbstractScrollArea *>(&area),
                                            static_cast<QAbstractScrollArea *>(&stock)}) {
            widget->setFont(scriptFont());
            widget->setPalette(colours);
            widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            widget->resize(size);
        }
        stock.setLineWrapMode(QPlainTextEdit::NoWrap);
    }

    [[nodiscard]] bool show()
    {
        stock.show();
        area.show();
        return QTest::qWaitForWindowExposed(&stock) && QTest::qWaitForWindowExposed(&area);
    }

    void setText(const QString &text)
    {
        stock.setPlainText(text);
        area.setInitialText(QString(text).replace(u'\n', u"\r\n"_qs));
    }

    QString areaText() const { return area.Text().replace(u"\r\n"_qs, u"\n"_qs); }
    QString stockText() const { return stock.toPlainText(); }

    int stockPosition(qsizetype areaPosition) const
    {
        return int(areaPosition - area.Text().left(areaPosition).count(u"\r\n"));
    }
    qsizetype areaPosition(int stockPosition) const
    {
        return stockPosition + stockText().left(stockPosition).count(u'\n');
    }

    void select(int anchor, int caret)
    {
        QTextCursor cursor = stock.textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(caret, QTextCursor::KeepAnchor);
        stock.setTextCursor(cursor);
        area.setSelection(areaPosition(anchor), areaPosition(caret));
        // As setTextCursor does.
        area.ensureCaretVisible();
    }

    CaretStop areaCaret() const
    {
        return {stockPosition(area.caretPosition()), area.caretRect().x()};
    }
    CaretStop stockCaret() const { return {stock.textCursor().position(), stock.cursorRect().x()}; }

    // The caret after each press of key, from where it stands until it moves no more.
    QList<CaretStop> areaStops(Qt::Key key)
    {
        return stops(&area, key, [this] { return areaCaret(); });
    }
    QList<CaretStop> stockStops(Qt::Key key)
    {
        return stops(&stock, key, [this] { return stockCaret(); });
    }

    // Every position Left and Right stop at in the stock widget, from either end, in order.
    QList<int> stockStopPositions()
    {
        QList<int> positions;
        for (const int from : {0, int(stockText().size())}) {
            for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right}) {
                select(from, from);
                for (const CaretStop &stop : stockStops(key))
                    positions << stop.position;
            }
        }
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        return positions;
    }

    // Where the caret goes after a left click at x on the caret's line.
    int clickArea(int x)
    {
        QTest::mouseClick(area.viewport(), Qt::LeftButton, {},
                          QPoint(x, area.caretRect().center().y()));
        return areaCaret().position;
    }
    int clickStock(int x)
    {
        QTest::mouseClick(stock.viewport(), Qt::LeftButton, {},
                          QPoint(x, stock.cursorRect().center().y()));
        return stockCaret().position;
    }

    // The columns of the caret's line where the selection's colour shows.
    QList<int> areaHighlightColumns() const
    {
        return highlightColumns(area.viewport()->grab().toImage(), area.caretRect());
    }
    QList<int> stockHighlightColumns() const
    {
        return highlightColumns(stock.viewport()->grab().toImage(), stock.cursorRect());
    }

    TextBox area;
    QPlainTextEdit stock;

private:
    template<typename Caret>
    QList<CaretStop> stops(QWidget *widget, Qt::Key key, Caret caret) const
    {
        QList<CaretStop> found{caret()};
        // A stop for each character at the most, and one more to see it stay.
        const qsizetype most = stockText().size() + 1;
        for (qsizetype press = 0; press < most; ++press) {
            QTest::keyClick(widget, key);
            const CaretStop now = caret();
            if (now.position == found.last().position)
                break;
            found << now;
        }
        return found;
    }

    static QList<int> highlightColumns(const QImage &image, const QRect &line)
    {
        const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
        const QRgb colour = highlight().rgb();
        QList<int> columns;
        for (int x = 0; x < pixels.width(); ++x) {
            for (int y = std::max(0, line.top()); y <= std::min(line.bottom(), pixels.height() - 1);
                 ++y) {
                if (pixels.pixel(x, y) == colour) {
                    columns << x;
                    break;
                }
            }
        }
        return columns;
    }
};

// How far apart two sets of columns are: the largest distance from a column of either to the
// nearest column of the other (0 when both are the same, a large number when only one is empty).
inline int columnDistance(const QList<int> &first, const QList<int> &second)
{
    if (first.isEmpty() || second.isEmpty())
        return first.isEmpty() && second.isEmpty() ? 0 : 1'000'000;
    const auto farthest = [](const QList<int> &from, const QList<int> &to) {
        int distance = 0;
        for (const int column : from) {
            const auto next = std::lower_bound(to.begin(), to.end(), column);
            int nearest = next == to.end() ? column - to.last() : *next - column;
            if (next != to.begin())
                nearest = std::min(nearest, column - *std::prev(next));
            distance = std::max(distance, nearest);
        }
        return distance;
    };
    return std::max(farthest(first, second), farthest(second, first));
}

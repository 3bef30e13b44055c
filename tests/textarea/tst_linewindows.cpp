// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/CharacterAdvances.h"
#include "textarea/LineWindows.h"
#include "textarea/TextBuffer.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBoundaryFinder>

// The windows a long line is cut into cover it exactly, end only where a grapheme cluster ends
// and never inside a pair, and hold few emoji; after edits they still do, and the windows the
// edit did not reach keep their shaped widths.
class LineWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void cutsWhereClustersEnd_data();
    void cutsWhereClustersEnd();
    void editsCutOnlyWhatTheyTouch_data();
    void editsCutOnlyWhatTheyTouch();
    void shapedWidthsMoveTheWindowsAfter();
};

namespace {

QString repeatedTo(const QString &piece, qsizetype length)
{
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    if (text.back().isHighSurrogate())
        text.back() = u'x';
    return text;
}

// Every window boundary ends a cluster of the window before it, read from that window's start,
// as that window's own layout reads it; and no window holds more than a few emoji.
QString faultIn(const QString &line, const LineWindows &windows)
{
    qsizetype covered = 0;
    for (qsizetype index = 0; index < windows.count(); ++index) {
        const qsizetype start = windows.start(index);
        const qsizetype length = windows.window(index).length;
        if (start != covered)
            return QStringLiteral("window %1 starts at %2, not %3")
                .arg(index)
                .arg(start)
                .arg(covered);
        covered += length;
        const QString characters = line.mid(start, length);
        if (index + 1 < windows.count()) {
            QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme,
                                         line.mid(start, length + 1));
            clusters.setPosition(length);
            if (!clusters.isAtBoundary() && length < 8192)
                return QStringLiteral("window %1 ends inside a cluster, at %2")
                    .arg(index)
                    .arg(covered);
            if (line[covered].isLowSurrogate() && line[covered - 1].isHighSurrogate())
                return QStringLiteral("window %1 ends inside a pair").arg(index);
        }
        const qsizetype emoji = characters.count(QChar(0xD83D)) + characters.count(QChar(0xD83C));
        // Eight, and the rest of the cluster the eighth began.
        if (emoji > 10)
            return QStringLiteral("window %1 holds %2 emoji").arg(index).arg(emoji);
    }
    if (covered != line.size())
        return QStringLiteral("the windows cover %1 of %2").arg(covered).arg(line.size());
    return {};
}

const QString Latin = QStringLiteral("Zażółć gęślą jaźń, notatka na dziś. ");
const QString Emoji = QString::fromUtf8("a \xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d"
                                        "\xf0\x9f\x91\xa7 \xf0\x9f\x87\xb5\xf0\x9f\x87\xb1 ");

} // namespace

void LineWindowsTest::cutsWhereClustersEnd_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("Polish words") << repeatedTo(Latin, 30000);
    QTest::newRow("no spaces") << QString(30000, u'x');
    QTest::newRow("emoji and flags") << repeatedTo(Emoji, 30000);
    QTest::newRow("Arabic") << repeatedTo(QString::fromUtf8("مرحبا بالعالم "), 30000);
    QTest::newRow("base letters with many marks")
        << repeatedTo(QStringLiteral("a") + QString(40, QChar(0x0301)), 30000);
    QTest::newRow("one cluster longer than a window")
        << QStringLiteral("a") + QString(20000, QChar(0x0301)) + repeatedTo(Latin, 10000);
    QTest::newRow("regional indicators without end")
        << repeatedTo(QString::fromUtf8("\xf0\x9f\x87\xb5"), 30000);
    QTest::newRow("pairs beyond emoji") << repeatedTo(QString::fromUtf8("\xf0\xa0\x80\x80"), 30000);
    QTest::newRow("tabs") << repeatedTo(QStringLiteral("\tkolumna"), 30000);
}

void LineWindowsTest::cutsWhereClustersEnd()
{
    QFETCH(QString, line);
    TextBuffer buffer;
    buffer.setText(QStringLiteral("before\r\n") + line + QStringLiteral("\r\nafter"));
    const CharacterAdvances advances(QApplication::font());
    quint64 nextId = 0;
    const LineWindows windows(buffer, advances, 8, line.size(), nextId);
    QVERIFY(windows.count() > 1);
    const QString fault = faultIn(line, windows);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void LineWindowsTest::editsCutOnlyWhatTheyTouch_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Polish, typing letters") << Latin << QStringLiteral("ab ");
    QTest::newRow("Polish, typing marks") << Latin << QString(QChar(0x0301));
    QTest::newRow("emoji, typing joiners") << Emoji << QString::fromUtf8("\xe2\x80\x8d");
    QTest::newRow("emoji, typing flags") << Emoji << QString::fromUtf8("\xf0\x9f\x87\xb5");
}

// Seeded edits anywhere in the line, each compared with the line as a QString.
void LineWindowsTest::editsCutOnlyWhatTheyTouch()
{
    QFETCH(QString, piece);
    QFETCH(QString, typed);
    QString line = repeatedTo(piece, 40000);
    TextBuffer buffer;
    buffer.setText(line);
    const CharacterAdvances advances(QApplication::font());
    quint64 nextId = 0;
    LineWindows windows(buffer, advances, 0, line.size(), nextId);

    QRandomGenerator random(23);
    for (int edit = 0; edit < 200; ++edit) {
        for (qsizetype index = 0; index < windows.count(); ++index)
            windows.setShapedWidth(index, 100);
        const qsizetype column = random.bounded(int(line.size()) + 1);
        const int longest = random.bounded(3) == 0 ? 9000 : 3;
        const qsizetype removed
            = std::min<qsizetype>(random.bounded(longest), line.size() - column);
        const QString added = random.bounded(2) == 0 ? typed : QString();
        buffer.replace(column, removed, added);
        line.replace(column, removed, added);
        windows.replace(0, column, removed, added.size());
        const QString fault = faultIn(line, windows);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("edit %1: %2").arg(edit).arg(fault)));
        // Only the windows around the edit are cut anew; the others keep their shaped widths.
        qsizetype cutAnew = 0;
        for (qsizetype index = 0; index < windows.count(); ++index)
            cutAnew += windows.window(index).shaped ? 0 : 1;
        QVERIFY2(cutAnew <= 4, qPrintable(QStringLiteral("edit %1 at %2: %3 windows cut anew")
                                              .arg(edit)
                                              .arg(column)
                                              .arg(cutAnew)));
    }
}

void LineWindowsTest::shapedWidthsMoveTheWindowsAfter()
{
    TextBuffer buffer;
    buffer.setText(QString(30000, u'm'));
    const CharacterAdvances advances(QApplication::font());
    quint64 nextId = 0;
    LineWindows windows(buffer, advances, 0, 30000, nextId);
    const qreal summed = windows.width();
    const qreal firstWidth = windows.window(0).width;
    windows.setShapedWidth(0, firstWidth + 10);
    QCOMPARE(windows.x(1), firstWidth + 10);
    QCOMPARE(windows.width(), summed + 10);
    QCOMPARE(windows.indexOfX(firstWidth + 5), 0);
    QCOMPARE(windows.indexOfX(firstWidth + 10), 1);
    QCOMPARE(windows.indexOfColumn(30000), windows.count() - 1);
}

QTEST_MAIN(LineWindowsTest)
#include "tst_linewindows.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/ReadableColor.h"

#include <QTest>

// Text colours that stay readable: the contrast measure, and the colour picked for text on a
// background.
class ReadableColorTest : public QObject
{
    Q_OBJECT

private slots:
    void contrastMeasuresLuminance_data();
    void contrastMeasuresLuminance();
    void textColourReadsOnItsBackground_data();
    void textColourReadsOnItsBackground();
};

void ReadableColorTest::contrastMeasuresLuminance_data()
{
    QTest::addColumn<QColor>("first");
    QTest::addColumn<QColor>("second");
    QTest::addColumn<qreal>("expected");

    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("either order") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
    QTest::newRow("a colour on itself")
        << QColor(0x30, 0x8c, 0xc6) << QColor(0x30, 0x8c, 0xc6) << 1.0;
    // The style's greyed text on its disabled background.
    QTest::newRow("greyed text") << QColor(0xbe, 0xbe, 0xbe) << QColor(0xef, 0xef, 0xef) << 1.61;
    // #777 on white is the classic just-too-light grey; #767676 is the lightest that passes.
    QTest::newRow("#777 on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
    QTest::newRow("#767676 on white") << QColor(0x76, 0x76, 0x76) << QColor(Qt::white) << 4.54;
    // Green weighs most in luminance, blue least.
    QTest::newRow("pure green on black") << QColor(Qt::green) << QColor(Qt::black) << 15.3;
    QTest::newRow("pure blue on black") << QColor(Qt::blue) << QColor(Qt::black) << 2.44;
}

void ReadableColorTest::contrastMeasuresLuminance()
{
    QFETCH(QColor, first);
    QFETCH(QColor, second);
    QFETCH(qreal, expected);
    const qreal measured = ReadableColor::contrast(first, second);
    QVERIFY2(qAbs(measured - expected) < 0.01, qPrintable(QString::number(measured)));
}

void ReadableColorTest::textColourReadsOnItsBackground_data()
{
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("preferred");
    QTest::addColumn<qreal>("wanted");
    // How the result may relate to the preferred colour.
    QTest::addColumn<QString>("outcome");

    const QColor greyedText(0xbe, 0xbe, 0xbe);
    const QColor greyedBackground(0xef, 0xef, 0xef);
    const QColor greyedHighlight(0x91, 0x91, 0x91);

    QTest::newRow("greyed text darkens just enough")
        << greyedBackground << greyedText << ReadableColor::EnhancedContrast << "just enough";
    QTest::newRow("greyed text at the minimum")
        << greyedBackground << greyedText << ReadableColor::MinimumContrast << "just enough";
    QTest::newRow("black already reads")
        << greyedBackground << QColor(Qt::black) << ReadableColor::EnhancedContrast << "unchanged";
    QTest::newRow("dark theme lightens") << QColor(0x2a, 0x2a, 0x2a) << QColor(0x5a, 0x5a, 0x5a)
                                         << ReadableColor::EnhancedContrast << "just enough";
    // Lighter than its background but closer to black: it must cross over to the dark side.
    QTest::newRow("light text on a light background")
        << QColor(0xe0, 0xe0, 0xe0) << QColor(0xf8, 0xf8, 0xf8) << ReadableColor::EnhancedContrast
        << "just enough";
    QTest::newRow("coloured text keeps its hue")
        << QColor(Qt::white) << QColor(0x80, 0xb0, 0xff) << ReadableColor::EnhancedContrast
        << "just enough";
    // White selected text on the greyed highlight: no colour reaches 7:1 on #919191.
    QTest::newRow("unreachable takes the best extreme")
        << greyedHighlight << QColor(Qt::white) << ReadableColor::EnhancedContrast << "black";
}

void ReadableColorTest::textColourReadsOnItsBackground()
{
    QFETCH(QColor, background);
    QFETCH(QColor, preferred);
    QFETCH(qreal, wanted);
    QFETCH(QString, outcome);

    const QColor chosen = ReadableColor::on(background, preferred, wanted);
    const qreal reached = ReadableColor::contrast(chosen, background);
    const QString seen = QStringLiteral("%1 on %2: %3:1")
                             .arg(chosen.name(), background.name())
                             .arg(reached, 0, 'f', 2);

    // Whatever the background, black or white reads at the minimum at least.
    QVERIFY2(reached >= ReadableColor::MinimumContrast, qPrintable(seen));
    if (outcome == "unchanged") {
        QCOMPARE(chosen, preferred);
    } else if (outcome == "black") {
        QCOMPARE(chosen, QColor(Qt::black));
    } else {
        QVERIFY2(reached >= wanted, qPrintable(seen));
        // Not simply black or white: only as far from the preferred colour as needed, so that
        // one level less on each channel would not read.
        QVERIFY2(reached < wanted + 0.15, qPrintable(seen));
        QVERIFY2(chosen != QColor(Qt::black) && chosen != QColor(Qt::white), qPrintable(seen));
    }
}

QTEST_MAIN(ReadableColorTest)
#include "tst_readablecolor.moc"

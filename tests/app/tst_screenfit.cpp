// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenFit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

// Shrinking a window's design to the screen: the factor, and the font of the captions.
class ScreenFitTest : public QObject
{
    Q_OBJECT

private slots:
    void scaleKeepsTheWholeWindowOnScreen_data();
    void scaleKeepsTheWholeWindowOnScreen();
    void shrunkCaptionsFitTheirControls_data();
    void shrunkCaptionsFitTheirControls();
};

void ScreenFitTest::scaleKeepsTheWholeWindowOnScreen_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<qreal>("expected");

    const QSize design(501, 528);
    const QMargins frame(1, 25, 1, 1);
    QTest::newRow("room to spare") << design << frame << QSize(1600, 1200) << 1.0;
    QTest::newRow("exactly fits") << design << frame << QSize(503, 554) << 1.0;
    // 1280x1024 at a device scale of 2.
    QTest::newRow("too tall") << design << frame << QSize(640, 512) << (512.0 - 26) / 528;
    QTest::newRow("too wide") << design << frame << QSize(402, 900) << 400.0 / 501;
    QTest::newRow("too wide and too tall, height limits")
        << design << frame << QSize(480, 400) << (400.0 - 26) / 528;
    QTest::newRow("one pixel short") << design << frame << QSize(503, 553) << 527.0 / 528;
    QTest::newRow("no frame") << design << QMargins() << QSize(640, 264) << 0.5;
    QTest::newRow("a screen that reports no area") << design << frame << QSize() << 1.0;
    QTest::newRow("a screen smaller than the frame") << design << frame << QSize(640, 20) << 1.0;
    QTest::newRow("no design") << QSize() << frame << QSize(640, 512) << 1.0;
}

void ScreenFitTest::scaleKeepsTheWholeWindowOnScreen()
{
    QFETCH(QSize, client);
    QFETCH(QMargins, frame);
    QFETCH(QSize, available);
    QFETCH(qreal, expected);

    const qreal factor = ScreenFit::scale(client, frame, available);
    QVERIFY2(qAbs(factor - expected) < 1e-9, qPrintable(QString::number(factor, 'f', 6)));
    if (factor < 1.0) {
        // The window, rounded to whole pixels as it is laid out, stays on the screen.
        const QSize shrunk(qRound(client.width() * factor), qRound(client.height() * factor));
        QVERIFY(shrunk.grownBy(frame).width() <= available.width());
        QVERIFY(shrunk.grownBy(frame).height() <= available.height());
    }
}

void ScreenFitTest::shrunkCaptionsFitTheirControls_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("room");
    QTest::addColumn<qreal>("factor");
    QTest::addColumn<bool>("shrinksFurther");

    // A control whose caption just fits at full size, shrunk with the design: its indicator or
    // margins do not shrink, so the font must shrink more than the control.
    QTest::newRow("check box, tight") << "check box"
                                      << "Możliwa edycja" << 0 << 0.7 << true;
    QTest::newRow("button, tight") << "button"
                                   << "Wybierz czcionkę" << 0 << 0.7 << true;
    QTest::newRow("less shrunk, tight") << "check box"
                                        << "Przekreślenie" << 0 << 0.85 << true;
    QTest::newRow("check box with room") << "check box"
                                         << "Kursywa" << 60 << 0.7 << false;
    QTest::newRow("frame with room") << "frame"
                                     << " Kolor tekstu " << 40 << 0.7 << false;
    QTest::newRow("no caption") << "none"
                                << "" << 0 << 0.8 << false;
}

void ScreenFitTest::shrunkCaptionsFitTheirControls()
{
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(int, room);
    QFETCH(qreal, factor);
    QFETCH(bool, shrinksFurther);

    constexpr qreal Points = 9;
    QWidget window;
    QFont font = window.font();
    font.setPointSizeF(Points);
    window.setFont(font);
    QWidget *control = nullptr;
    if (kind == "check box")
        control = new QCheckBox(caption, &window);
    else if (kind == "button")
        control = new QPushButton(caption, &window);
    else if (kind == "frame")
        control = new QGroupBox(caption, &window);
    else
        control = new QWidget(&window);

    // The narrowest width that holds the caption at full size, found the way the style lays
    // the control out, plus the room the row gives.
    control->resize(1, 40);
    while (!ScreenFit::captionFits(*control))
        control->resize(control->width() + 1, control->height());
    const QSize full(control->width() + room, control->height());
    control->resize(qRound(full.width() * factor), qRound(full.height() * factor));

    ScreenFit::shrinkFont(window, factor);

    const qreal points = control->font().pointSizeF();
    const QString seen = QStringLiteral("%1 pt in %2 px").arg(points).arg(control->width());
    QVERIFY2(ScreenFit::captionFits(*control), qPrintable(seen));
    if (shrinksFurther) {
        QVERIFY2(points < Points * factor, qPrintable(seen));
        // Small steps: not shrunk far past what fits.
        QVERIFY2(points > Points * factor * 0.8, qPrintable(seen));
    } else {
        QCOMPARE(points, Points * factor);
    }
}

QTEST_MAIN(ScreenFitTest)
#include "tst_screenfit.moc"

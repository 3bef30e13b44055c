// SPDX-License-Identifier: GPL-3.0-or-later
// The main window at a device scale of 2 on a 1280x1024 screen, where its design, 1002x1056
// device pixels, would run off the bottom: shrunk in proportion until the whole window, title bar
// included, is on the screen, still of a fixed size, with every caption drawn whole.

#include "app/Form1.h"
#include "app/Form1Design.h"
#include "tests/support/CaptionInk.h"

#include <QScreen>
#include <QTest>

namespace {

constexpr qreal Scale = 2.0;
const QSize DesignedClient(501, 528);

QRect designedRectangle(const ControlSpec &design)
{
    return QRect(design.left / 12, design.top / 12, design.width / 12, design.height / 12);
}

QRect scaled(const QRect &rectangle, qreal factor)
{
    return QRect(qRound(rectangle.x() * factor), qRound(rectangle.y() * factor),
                 qRound(rectangle.width() * factor), qRound(rectangle.height() * factor));
}

bool near(const QRect &first, const QRect &second)
{
    return qAbs(first.left() - second.left()) <= 1 && qAbs(first.top() - second.top()) <= 1
           && qAbs(first.right() - second.right()) <= 1
           && qAbs(first.bottom() - second.bottom()) <= 1;
}

} // namespace

class FittedFormTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeWindowIsOnTheScreen();
    void windowKeepsAFixedSize();
    void controlsKeepTheirPlacesInProportion_data();
    void controlsKeepTheirPlacesInProportion();
    void noTwoControlsOverlap();
    void captionIsDrawnWhole_data();
    void captionIsDrawnWhole();

private:
    Form1 m_form;
    QSize m_available;
};

void FittedFormTest::initTestCase()
{
    QCOMPARE(qApp->devicePixelRatio(), Scale);
    m_available = m_form.screen()->availableGeometry().size();
    QCOMPARE(m_available * Scale, QSize(1280, 1024));
    m_form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form));
}

void FittedFormTest::wholeWindowIsOnTheScreen()
{
    const QSize client = m_form.size();
    const QString seen = QStringLiteral("client %1x%2 on %3x%4")
                             .arg(client.width())
                             .arg(client.height())
                             .arg(m_available.width())
                             .arg(m_available.height());
    // A title bar holds the caption in text: at least a line of the font, with a pixel of
    // border above and below.
    const int titleBarAtLeast = QFontMetrics(QApplication::font()).height() + 2;
    QVERIFY2(client.height() + titleBarAtLeast <= m_available.height(), qPrintable(seen));
    QVERIFY2(client.width() <= m_available.width(), qPrintable(seen));
    // Shrunk only as far as needed: no more room left than two generous title bars.
    QVERIFY2(client.height() >= m_available.height() - 2 * 3 * titleBarAtLeast, qPrintable(seen));
    // The same factor both ways, as near as whole pixels allow.
    const qreal across = qreal(client.width()) / DesignedClient.width();
    const qreal down = qreal(client.height()) / DesignedClient.height();
    QVERIFY2(qAbs(across - down) < 2.0 / DesignedClient.width(), qPrintable(seen));

    const QPixmap shot = m_form.grab();
    QCOMPARE(shot.size(), client * Scale);
}

void FittedFormTest::windowKeepsAFixedSize()
{
    const QSize shown = m_form.size();
    QCOMPARE(m_form.minimumSize(), shown);
    QCOMPARE(m_form.maximumSize(), shown);
    m_form.resize(DesignedClient);
    QCOMPARE(m_form.size(), shown);
}

void FittedFormTest::controlsKeepTheirPlacesInProportion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("designed");
    for (const ControlSpec &design : Form1Design::Controls)
        QTest::newRow(design.name) << QString::fromLatin1(design.name) << designedRectangle(design);
}

void FittedFormTest::controlsKeepTheirPlacesInProportion()
{
    QFETCH(QString, name);
    QFETCH(QRect, designed);

    const qreal factor = qreal(m_form.width()) / DesignedClient.width();
    QVERIFY(factor < 1.0);
    const auto *control = m_form.findChild<QWidget *>(name);
    QVERIFY(control);
    const QRect expected = scaled(designed, factor);
    QVERIFY2(near(control->geometry(), expected),
             qPrintable(QStringLiteral("at (%1, %2) %3x%4, expected (%5, %6) %7x%8")
                            .arg(control->x())
                            .arg(control->y())
                            .arg(control->width())
                            .arg(control->height())
                            .arg(expected.x())
                            .arg(expected.y())
                            .arg(expected.width())
                            .arg(expected.height())));
    QVERIFY(control->isVisible());
    // Wholly inside its container.
    QVERIFY(control->parentWidget()->rect().contains(control->geometry()));
}

void FittedFormTest::noTwoControlsOverlap()
{
    const QList<QWidget *> controls = m_form.findChildren<QWidget *>();
    for (const QWidget *first : controls) {
        for (const QWidget *second : controls) {
            if (first == second || first->parentWidget() != second->parentWidget()
                || first->objectName().isEmpty() || second->objectName().isEmpty())
                continue;
            QVERIFY2(!first->geometry().intersects(second->geometry()),
                     qPrintable(first->objectName() + " overlaps " + second->objectName()));
        }
    }
}

void FittedFormTest::captionIsDrawnWhole_data()
{
    CaptionInk::addCaptionedControlRows();
}

void FittedFormTest::captionIsDrawnWhole()
{
    CaptionInk::verifyRowDrawnWhole(m_form, Scale);
}

QTEST_MAIN(FittedFormTest)
#include "tst_fittedform.moc"

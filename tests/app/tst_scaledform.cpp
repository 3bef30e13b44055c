// SPDX-License-Identifier: GPL-3.0-or-later
// The main window at a device scale of 2, as on a high-density screen with room for it: twice its
// designed size in device pixels, and every caption drawn whole inside its control at the scaled
// font.

#include "app/Form1.h"
#include "tests/support/CaptionInk.h"

#include <QTest>

namespace {

constexpr qreal Scale = 2.0;

} // namespace

class ScaledFormTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowIsTwiceItsDesignInDevicePixels();
    void captionIsDrawnWhole_data();
    void captionIsDrawnWhole();

private:
    Form1 m_form;
};

void ScaledFormTest::initTestCase()
{
    QCOMPARE(qApp->devicePixelRatio(), Scale);
    m_form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form));
}

void ScaledFormTest::windowIsTwiceItsDesignInDevicePixels()
{
    const QPixmap shot = m_form.grab();
    QCOMPARE(shot.devicePixelRatio(), Scale);
    QCOMPARE(shot.size(), QSize(1002, 1056));
}

void ScaledFormTest::captionIsDrawnWhole_data()
{
    CaptionInk::addCaptionedControlRows();
}

void ScaledFormTest::captionIsDrawnWhole()
{
    CaptionInk::verifyRowDrawnWhole(m_form, Scale);
}

QTEST_MAIN(ScaledFormTest)
#include "tst_scaledform.moc"

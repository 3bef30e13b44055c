// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TextPositions.h"
#include "textarea/TextBox.h"

#include "clipboard/AreaClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

// The X11 primary selection: what the user selects is offered, a middle click pastes what is
// offered. Run under X11 (see run_on_display.sh), where the primary selection exists.
class TextBoxPrimaryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void selectedTextIsOffered_data();
    void selectedTextIsOffered();
    void middleClickPastesThePrimarySelection();
};

namespace {} // namespace

void TextBoxPrimaryTest::initTestCase()
{
    if (!QApplication::clipboard()->supportsSelection())
        QSKIP("this platform has no primary selection");
}

void TextBoxPrimaryTest::selectedTextIsOffered_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("offered");

    QTest::newRow("dragged over") << "drag" << u"łć\ngę"_qs;
    QTest::newRow("double click") << "double" << u"gęś"_qs;
    QTest::newRow("Shift+End") << "keys" << u"łć"_qs;
}

void TextBoxPrimaryTest::selectedTextIsOffered()
{
    QFETCH(QString, gesture);
    QFETCH(QString, offered);
    TextBox box;
    box.resize(300, 120);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setInitialText(u"Zażółć\r\ngęś"_qs);
    QWidget *page = box.viewport();
    if (gesture == "drag") {
        QTest::mousePress(page, Qt::LeftButton, {}, leftPartOf(box, 4));
        QMouseEvent move(QEvent::MouseMove, leftPartOf(box, 10),
                         page->mapToGlobal(leftPartOf(box, 10)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(page, &move);
        QTest::mouseRelease(page, Qt::LeftButton, {}, leftPartOf(box, 10));
    } else if (gesture == "double") {
        QTest::mouseDClick(page, Qt::LeftButton, {}, leftPartOf(box, 9));
    } else {
        box.setFocus();
        box.SetSelStart(4);
        QTest::keyClick(&box, Qt::Key_End, Qt::ShiftModifier);
    }
    QTRY_COMPARE(QApplication::clipboard()->text(QClipboard::Selection), offered);
}

void TextBoxPrimaryTest::middleClickPastesThePrimarySelection()
{
    TextBox box;
    box.setClipboard(std::make_unique<AreaClipboard>());
    box.resize(300, 120);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setInitialText(u"ab\r\ncd"_qs);
    QApplication::clipboard()->setText(u"X\nY"_qs, QClipboard::Selection);
    QTest::mouseClick(box.viewport(), Qt::MiddleButton, {}, leftPartOf(box, 5));
    QCOMPARE(box.Text(), u"ab\r\ncX\r\nYd"_qs);
    box.undo();
    QCOMPARE(box.Text(), u"ab\r\ncd"_qs);
}

QTEST_MAIN(TextBoxPrimaryTest)
#include "tst_textboxprimary.moc"

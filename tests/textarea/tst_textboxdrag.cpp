// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TextPositions.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

// A selection dragged within the area with the mouse: moved, or with Ctrl copied, in one step
// that one Undo takes back. The drag runs Qt's own drag loop, so this runs under X11 (see
// run_on_display.sh), whose drag and drop delivers the drop back to the area that started it.
class TextBoxDragTest : public QObject
{
    Q_OBJECT

private slots:
    void draggedSelectionMovesOrCopies_data();
    void draggedSelectionMovesOrCopies();
};

namespace {

void sendMouse(QWidget *page, QEvent::Type type, QPoint at, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, at, page->mapToGlobal(at), Qt::LeftButton, held, modifiers);
    QApplication::sendEvent(page, &event);
}

} // namespace

void TextBoxDragTest::draggedSelectionMovesOrCopies_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("control");
    QTest::addColumn<QString>("after");

    // The text is "jeden dwa\r\ntrzy".
    QTest::newRow("moved to the next line") << 0 << 5 << 11 << false << u" dwa\r\njedentrzy"_qs;
    QTest::newRow("moved to the end") << 0 << 5 << 15 << false << u" dwa\r\ntrzyjeden"_qs;
    QTest::newRow("moved back") << 6 << 9 << 0 << false << u"dwajeden \r\ntrzy"_qs;
    QTest::newRow("copied with Ctrl") << 0 << 5 << 15 << true << u"jeden dwa\r\ntrzyjeden"_qs;
    QTest::newRow("dropped inside itself") << 0 << 5 << 3 << false << u"jeden dwa\r\ntrzy"_qs;
}

void TextBoxDragTest::draggedSelectionMovesOrCopies()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, target);
    QFETCH(bool, control);
    QFETCH(QString, after);
    TextBox box;
    box.resize(300, 120);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QString before = u"jeden dwa\r\ntrzy"_qs;
    box.setInitialText(before);
    box.setSelection(from, to);
    QWidget *page = box.viewport();
    const Qt::KeyboardModifiers modifiers = control ? Qt::ControlModifier : Qt::NoModifier;
    const QPoint start = leftPartOf(box, (from + to) / 2);
    const QPoint drop = target < before.size()
                            ? leftPartOf(box, target)
                            : box.characterRect(target).topLeft().toPoint() + QPoint(1, 2);
    sendMouse(page, QEvent::MouseButtonPress, start, Qt::LeftButton, modifiers);
    // The drag's loop starts inside the next move; the rest of the gesture comes from within it.
    QTimer::singleShot(0, page, [&] {
        sendMouse(page, QEvent::MouseMove, drop, Qt::LeftButton, modifiers);
        sendMouse(page, QEvent::MouseButtonRelease, drop, Qt::NoButton, modifiers);
    });
    sendMouse(page, QEvent::MouseMove, start + QPoint(QApplication::startDragDistance() + 2, 0),
              Qt::LeftButton, modifiers);
    QCOMPARE(box.Text(), after);
    if (after != before) {
        box.undo();
        QCOMPARE(box.Text(), before);
    }
}

QTEST_MAIN(TextBoxDragTest)
#include "tst_textboxdrag.moc"

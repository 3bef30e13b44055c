// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/AreaClipboard.h"
#include "common/RuntimeFailure.h"
#include "textarea/ClipboardText.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>

#include <memory>

// Text that comes in otherwise than by single keys: input methods, a limit on every way in, and
// lines far longer than QTextLayout can measure.
class TextBoxInputTest : public QObject
{
    Q_OBJECT

private slots:
    void inputMethodComposesAndCommits();
    void inputMethodReplacesAroundTheCaret();
    void inputMethodIsToldABoundedSurrounding();
    void underlineAndStrikeoutAreDrawn_data();
    void underlineAndStrikeoutAreDrawn();
    void everyWayInStopsAtTheLimit();
    void refusedDropSaysHowLongItWouldBe_data();
    void refusedDropSaysHowLongItWouldBe();
    void clickInAHugeLinePlacesTheCaretThere();
    void caretBlinksOnlyWhereItIsSeen();
    void caretStopsBlinkingLongAfterTheLastInput();
};

namespace {

// Another program's drop as the clipboard reports it, read or only counted.
class CountedDropClipboard : public ClipboardText
{
public:
    explicit CountedDropClipboard(DroppedText dropped)
        : m_dropped(std::move(dropped))
    {}

    void setText(const QString &) override {}
    QString text(qsizetype) const override { return {}; }
    QString primaryText(qsizetype) const override { return {}; }
    DroppedText droppedText(const QMimeData &, qsizetype) const override { return m_dropped; }

private:
    DroppedText m_dropped;
};

// Drops the text near the area's top left corner, as another program would; whether it was taken.
bool dropText(TextBox &box, const QString &text, Qt::DropAction action)
{
    QMimeData offered;
    offered.setText(text);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &offered, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), action, &offered, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &drop);
    return drop.isAccepted();
}

void showAndWait(QWidget &widget)
{
    widget.show();
    QApplication::setActiveWindow(&widget);
    QVERIFY(QTest::qWaitForWindowActive(&widget));
}

void sendInputMethod(QWidget *widget, const QString &preedit, const QString &commit,
                     int replacementStart = 0, int replacementLength = 0)
{
    QList<QInputMethodEvent::Attribute> attributes;
    attributes << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, int(preedit.size()), 1);
    QInputMethodEvent event(preedit, attributes);
    event.setCommitString(commit, replacementStart, replacementLength);
    QApplication::sendEvent(widget, &event);
}

int inkedPixels(const QImage &image)
{
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != background;
    }
    return count;
}

// The regions the widget's page is repainted in.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget *page) { page->installEventFilter(this); }
    QList<QRect> regions;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            regions << static_cast<QPaintEvent *>(event)->rect();
        return false;
    }
};

} // namespace

void TextBoxInputTest::inputMethodComposesAndCommits()
{
    TextBox box;
    box.resize(300, 100);
    showAndWait(box);
    box.setInitialText(u"ab"_qs);
    box.SetSelStart(1);
    const QRect caretBefore = box.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QImage before = box.viewport()->grab().toImage();

    // A dead key or a compose sequence in progress: shown at the caret, not yet in the text.
    sendInputMethod(&box, u"´"_qs, QString());
    QCOMPARE(box.Text(), u"ab"_qs);
    QVERIFY(box.viewport()->grab().toImage() != before);
    QVERIFY(box.inputMethodQuery(Qt::ImCursorRectangle).toRect().x() > caretBefore.x());

    sendInputMethod(&box, QString(), u"ó"_qs);
    QCOMPARE(box.Text(), u"aób"_qs);
    QCOMPARE(box.caretPosition(), 2);
    QCOMPARE(box.viewport()->grab().toImage().size(), before.size());
    QTest::keySequence(&box, QKeySequence::Undo);
    QCOMPARE(box.Text(), u"ab"_qs);
}

void TextBoxInputTest::inputMethodReplacesAroundTheCaret()
{
    TextBox box;
    box.setInitialText(u"zolw\r\nx"_qs);
    box.SetSelStart(4);
    // A correction that replaces the word before the caret.
    sendInputMethod(&box, QString(), u"żółw"_qs, -4, 4);
    QCOMPARE(box.Text(), u"żółw\r\nx"_qs);
    QCOMPARE(box.caretPosition(), 4);
}

void TextBoxInputTest::inputMethodIsToldABoundedSurrounding()
{
    TextBox box;
    const QString longLine(100'000, u'x');
    box.setInitialText(u"first\r\n"_qs + longLine + u"\r\nlast"_qs);
    box.SetSelStart(7 + 50'000);
    box.SetSelLength(3);
    QVERIFY(box.inputMethodQuery(Qt::ImEnabled).toBool());
    const QString surrounding = box.inputMethodQuery(Qt::ImSurroundingText).toString();
    QVERIFY(!surrounding.isEmpty());
    QVERIFY(surrounding.size() <= 2'000);
    QVERIFY(!surrounding.contains(u'\n'));
    const int caret = box.inputMethodQuery(Qt::ImCursorPosition).toInt();
    const int anchor = box.inputMethodQuery(Qt::ImAnchorPosition).toInt();
    QCOMPARE(caret - anchor, 3);
    QCOMPARE(surrounding.mid(anchor, 3), box.SelText());

    box.SetText(u"ab\r\ncd"_qs);
    box.SetSelStart(5);
    QCOMPARE(box.inputMethodQuery(Qt::ImSurroundingText).toString(), u"cd"_qs);
    QCOMPARE(box.inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
    box.SetEnabled(false);
    QVERIFY(!box.inputMethodQuery(Qt::ImEnabled).toBool());
}

void TextBoxInputTest::underlineAndStrikeoutAreDrawn_data()
{
    QTest::addColumn<bool>("underline");
    QTest::newRow("underline") << true;
    QTest::newRow("strikeout") << false;
}

void TextBoxInputTest::underlineAndStrikeoutAreDrawn()
{
    QFETCH(bool, underline);
    TextBox box;
    box.resize(300, 100);
    box.setInitialText(u"iiiii iiiii"_qs);
    showAndWait(box);
    const int plain = inkedPixels(box.viewport()->grab().toImage());
    if (underline)
        box.Font().SetUnderline(true);
    else
        box.Font().SetStrikethrough(true);
    const int decorated = inkedPixels(box.viewport()->grab().toImage());
    // A line under or through the space between the words too.
    QVERIFY2(decorated > plain, qPrintable(QStringLiteral("%1 -> %2").arg(plain).arg(decorated)));
}

// Over the limit, a paste by key, a drop, typing and SetSelText change nothing; a paste and a
// drop say why, as the paste button does.
void TextBoxInputTest::everyWayInStopsAtTheLimit()
{
    TextBox box;
    box.setClipboard(std::make_unique<AreaClipboard>());
    box.resize(300, 100);
    showAndWait(box);
    box.setInitialText(QString(TextArea::LargestText - 1, u'a'));
    QStringList refusals;
    connect(&box, &TextBox::refused, this,
            [&refusals](const RuntimeFailure &failure) { refusals << failure.description(); });
    const auto unchanged = [&box] {
        return box.buffer().size() == TextArea::LargestText - 1 && box.buffer().at(0) == u'a';
    };

    QApplication::clipboard()->setText(u"xy"_qs);
    QTest::keySequence(&box, QKeySequence::Paste);
    QVERIFY(unchanged());
    QCOMPARE(refusals.size(), 1);
    QVERIFY2(refusals.at(0).contains(u"Nic nie wklejono"), qPrintable(refusals.at(0)));

    const bool dropTaken = dropText(box, u"xy"_qs, Qt::MoveAction);
    QVERIFY(unchanged());
    // Taken, a drop that moves text would have its source delete it.
    QVERIFY2(!dropTaken, "a refused drop was taken");
    // The message comes once the drop is over, so that its source is not kept waiting.
    QCOMPARE(refusals.size(), 1);
    QTRY_COMPARE(refusals.size(), 2);

    sendInputMethod(&box, QString(), u"xy"_qs);
    QVERIFY(unchanged());
    // "Wklej" puts the clipboard's text in through SetSelText: its message is the drop's.
    QString pasteMessage;
    try {
        box.SetSelText(u"xy"_qs);
    } catch (const RuntimeFailure &failure) {
        pasteMessage = failure.description();
    }
    QCOMPARE(refusals.at(1), pasteMessage);
    QVERIFY(unchanged());
    QVERIFY_THROWS_EXCEPTION(RuntimeFailure, box.SetText(QString(TextArea::LargestText + 1, u'b')));
    QVERIFY(unchanged());

    // One character still fits, by any way.
    QTest::keyClicks(&box, u"z"_qs);
    QCOMPARE(box.buffer().size(), TextArea::LargestText);
}

// A drop past the limit is counted only so far, and the message says it would be at least so
// long; one read whole and too long beside the area's text says exactly how long.
void TextBoxInputTest::refusedDropSaysHowLongItWouldBe_data()
{
    QTest::addColumn<qsizetype>("areaLength");
    QTest::addColumn<QString>("droppedText");
    QTest::addColumn<qsizetype>("droppedLength");
    QTest::addColumn<QString>("expected");

    const auto number = [](qsizetype value) {
        return QLocale().toString(value);
    };
    QTest::newRow("read whole, too long beside the area's text")
        << TextArea::LargestText - 1 << u"xy"_qs << qsizetype(2)
        << u"miałby %1 znaków,"_qs.arg(number(TextArea::LargestText + 1));
    QTest::newRow("counted in part, past the limit")
        << qsizetype(3) << QString() << TextArea::LargestText + 10
        << u"miałby co najmniej %1 znaków,"_qs.arg(number(TextArea::LargestText + 13));
}

void TextBoxInputTest::refusedDropSaysHowLongItWouldBe()
{
    QFETCH(qsizetype, areaLength);
    QFETCH(QString, droppedText);
    QFETCH(qsizetype, droppedLength);
    QFETCH(QString, expected);
    TextBox box;
    box.setClipboard(std::make_unique<CountedDropClipboard>(
        ClipboardText::DroppedText{droppedText, droppedLength}));
    box.resize(300, 100);
    showAndWait(box);
    box.setInitialText(QString(areaLength, u'a'));
    QStringList refusals;
    connect(&box, &TextBox::refused, this,
            [&refusals](const RuntimeFailure &failure) { refusals << failure.description(); });

    QVERIFY2(!dropText(box, u"unread"_qs, Qt::CopyAction), "a refused drop was taken");
    QTRY_COMPARE(refusals.size(), 1);
    QVERIFY2(refusals.at(0).contains(expected), qPrintable(refusals.at(0)));
    QCOMPARE(box.buffer().size(), areaLength);
}

// QTextLayout measured such a line's middle as x = 0; here each column lies where the sum of
// the advances before it says, and a click there puts the caret there.
void TextBoxInputTest::clickInAHugeLinePlacesTheCaretThere()
{
    constexpr qsizetype Length = 20'000'000;
    TextBox box;
    box.resize(400, 120);
    showAndWait(box);
    box.setInitialText(QString(Length, u'm'));
    const qreal advance = QFontMetricsF(box.font()).horizontalAdvance(u'm');

    const qsizetype target = 12'345'678;
    box.SetSelStart(int(target + 20));
    const qreal distance = box.characterRect(target).left() - box.characterRect(0).left();
    QVERIFY2(qAbs(distance - target * advance) < 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(distance).arg(target * advance)));
    const QRectF character = box.characterRect(target);
    QVERIFY(box.viewport()->rect().contains(character.center().toPoint()));
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {},
                      QPointF(character.left() + advance / 4, character.center().y()).toPoint());
    QCOMPARE(box.caretPosition(), target);

    // The scroll bar reaches the line's end, whatever unit it counts in.
    QScrollBar *sideways = box.horizontalScrollBar();
    sideways->setValue(sideways->maximum());
    const QRectF end = box.characterRect(Length);
    QVERIFY2(box.viewport()->rect().contains(end.topLeft().toPoint()),
             qPrintable(QStringLiteral("end at %1").arg(end.left())));
}

// The caret blinks at the platform's rate, repainting only itself, and costs nothing while
// nobody can see it.
void TextBoxInputTest::caretBlinksOnlyWhereItIsSeen()
{
    QStyleHints *hints = QGuiApplication::styleHints();
    const int flashTime = hints->cursorFlashTime();
    hints->setCursorFlashTime(100);
    QWidget window;
    auto *box = new TextBox(&window);
    auto *other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    box->resize(300, 100);
    other->setGeometry(0, 110, 50, 20);
    box->setInitialText(QString(50, u'x'));
    showAndWait(window);
    other->setFocus();
    // The caret taken away is repainted once.
    QCoreApplication::processEvents();
    PaintRecorder paints(box->viewport());
    // Unfocused: five flash periods pass without a paint.
    QTest::qWait(500);
    QCOMPARE(paints.regions.size(), 0);

    box->setFocus();
    // The frame shows the focus once; after that, only the caret is repainted.
    QCoreApplication::processEvents();
    paints.regions.clear();
    QTRY_VERIFY(paints.regions.size() >= 4);
    const QRect caret = box->caretRect();
    for (const QRect &region : std::as_const(paints.regions))
        QVERIFY2(region.width() <= caret.width() + 2, qPrintable(QString::number(region.width())));

    box->SetEnabled(false);
    QCoreApplication::processEvents();
    paints.regions.clear();
    QTest::qWait(500);
    QCOMPARE(paints.regions.size(), 0);
    hints->setCursorFlashTime(flashTime);
}

// Ten flashes after the last input the caret stays shown and nothing is painted; any key makes
// it blink again.
void TextBoxInputTest::caretStopsBlinkingLongAfterTheLastInput()
{
    QStyleHints *hints = QGuiApplication::styleHints();
    const int flashTime = hints->cursorFlashTime();
    hints->setCursorFlashTime(100);
    TextBox box;
    box.resize(300, 100);
    box.setInitialText(QString(50, u'x'));
    showAndWait(box);
    box.setFocus();
    PaintRecorder paints(box.viewport());
    QTest::keyClick(&box, Qt::Key_Home);
    // Blinking, then still: ten flashes of 100 ms, and a few more for the timer's slack.
    QTRY_VERIFY(paints.regions.size() >= 4);
    QTest::qWait(1300);
    paints.regions.clear();
    QTest::qWait(500);
    QCOMPARE(paints.regions.size(), 0);
    const QImage shown = box.viewport()->grab().toImage();
    const QRect caret = box.caretRect();
    QCOMPARE(shown.pixelColor(caret.center()), box.palette().color(QPalette::Text));

    QTest::keyClick(&box, Qt::Key_End);
    paints.regions.clear();
    QTRY_VERIFY(paints.regions.size() >= 4);
    hints->setCursorFlashTime(flashTime);
}

QTEST_MAIN(TextBoxInputTest)
#include "tst_textboxinput.moc"

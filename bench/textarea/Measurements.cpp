// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/textarea/Measurements.h"

#include "bench/support/ProcessMemory.h"
#include "bench/support/ProcessorTime.h"
#include "bench/textarea/EditorWindow.h"
#include "bench/textarea/Figures.h"
#include "bench/textarea/ModalDialogWatch.h"
#include "textarea/TextArea.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>
#include <QTextBoundaryFinder>

#include <vector>

namespace {

void printSample(const QByteArray &name, const Sample &sample)
{
    printFigure(name + "-wall", sample.wall);
    printFigure(name + "-processor", sample.processor);
}

bool showWindow(EditorWindow &editor)
{
    QWidget &window = editor.window();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    editor.area().setFocus();
    QCoreApplication::processEvents();
    printNote(QStringLiteral("platform %1").arg(QGuiApplication::platformName()));
    return true;
}

Sample readUntilPainted(EditorWindow &editor)
{
    return measureWork([&] {
        editor.read();
        editor.window().repaint();
    });
}

void printMessages(EditorWindow &editor, const QString &prefix)
{
    for (const QString &message : editor.messages())
        printNote(prefix + QStringLiteral("message: ") + message);
}

void measureShowing(EditorWindow &editor)
{
    printSample("read", readUntilPainted(editor));
    printFigure("peak", statusMebibytes("VmHWM"));
    printNote(QStringLiteral("the text holds %1 characters").arg(editor.text().size()));
}

// The caret blinking and nothing else, once the window has settled.
double idleShareOfCore()
{
    runEventLoopFor(2000);
    const double processorStart = processorMilliseconds();
    QElapsedTimer idle;
    idle.start();
    runEventLoopFor(5000);
    return 100 * (processorMilliseconds() - processorStart) / double(idle.elapsed());
}

// Each press of the key, until painted: the medians as NAME-wall and NAME-processor.
void measurePresses(QAbstractScrollArea &area, const QByteArray &name, int presses, Qt::Key key,
                    Qt::KeyboardModifiers modifiers = {})
{
    std::vector<double> wall;
    std::vector<double> processor;
    for (int press = 0; press < presses; ++press) {
        const Sample sample = measureWork([&] {
            QTest::keyClick(&area, key, modifiers);
            area.viewport()->repaint();
        });
        wall.push_back(sample.wall);
        processor.push_back(sample.processor);
    }
    printFigure(name + "-wall", median(wall));
    printFigure(name + "-processor", median(processor));
}

// Typed at the caret: the keys' medians, and whether the text took them.
void measureTyping(EditorWindow &editor, int keys)
{
    const QString before = editor.text();
    const qsizetype caret = editor.caretPosition();
    measurePresses(editor.area(), "key", keys, Qt::Key_A);
    const QString after = editor.text();
    const bool typed
        = after.size() == before.size() + keys && after.mid(caret, keys) == QString(keys, u'a');
    printNote(QStringLiteral("%1 keys typed at position %2: the text %3 them there")
                  .arg(keys)
                  .arg(caret)
                  .arg(typed ? "took" : "did NOT take"));
}

void measureIdleCaret(QAbstractScrollArea &area)
{
    printFigure("idle-share", idleShareOfCore());
    // The caret blinks only in the focused area of the active window.
    printNote(QStringLiteral("while idle the area %1 the focus in the active window")
                  .arg(area.hasFocus() && area.isActiveWindow() ? "had" : "did NOT have"));
}

void measureLongLine(EditorWindow &editor, int keys)
{
    printSample("read", readUntilPainted(editor));
    QAbstractScrollArea &area = editor.area();
    // A click on "Czytaj" took the focus; the user clicks back into the text to type.
    area.setFocus(Qt::MouseFocusReason);
    QTest::keyClick(&area, Qt::Key_End, Qt::ControlModifier);
    area.viewport()->repaint();
    measureIdleCaret(area);
    measureTyping(editor, keys);
    printFigure("peak", statusMebibytes("VmHWM"));
}

// Ctrl+V of what another program offers, until painted.
Sample pasteUntilPainted(EditorWindow &editor)
{
    QAbstractScrollArea &area = editor.area();
    area.setFocus(Qt::MouseFocusReason);
    return measureWork([&] {
        QTest::keyClick(&area, Qt::Key_V, Qt::ControlModifier);
        area.viewport()->repaint();
    });
}

// Fifty pages down from the start, then keys typed where a click in the middle of the text
// put the caret.
void measurePagesAndKeys(EditorWindow &editor, int keys)
{
    QAbstractScrollArea &area = editor.area();
    area.setFocus(Qt::MouseFocusReason);
    QTest::keyClick(&area, Qt::Key_Home, Qt::ControlModifier);
    area.viewport()->repaint();
    measurePresses(area, "page", 50, Qt::Key_PageDown);
    QScrollBar *vertical = area.verticalScrollBar();
    vertical->setValue(vertical->maximum() / 2);
    QTest::mouseClick(area.viewport(), Qt::LeftButton, {}, area.viewport()->rect().center());
    measureTyping(editor, keys);
}

void measureMixedScripts(EditorWindow &editor, int keys)
{
    printSample("paste", pasteUntilPainted(editor));
    printNote(QStringLiteral("the text holds %1 characters").arg(editor.text().size()));
    measurePagesAndKeys(editor, keys);
    printFigure("peak", statusMebibytes("VmHWM"));
}

// Clicks a quarter of the way into each of the last clusters before the caret, and a quarter
// before their ends: each lands at the edge nearer to it. Clusters that read from right to
// left, too narrow to tell a quarter, or so near an edge that the caret put there scrolls the
// view, are left out.
void checkClicksLandOnClusters(EditorWindow &editor)
{
    QAbstractScrollArea &area = editor.area();
    const QString text = editor.text();
    const qsizetype end = editor.caretPosition();
    const qsizetype start = std::max<qsizetype>(0, end - 120);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text.mid(start, end - start));
    int tried = 0;
    int landed = 0;
    QStringList missed;
    qsizetype from = 0;
    for (qsizetype to = clusters.toNextBoundary(); to > 0;
         from = to, to = clusters.toNextBoundary()) {
        const QString cluster = text.mid(start + from, to - from);
        const qreal left = editor.caretX(start + from);
        const qreal right = editor.caretX(start + to);
        constexpr qreal EdgeRoom = 10;
        if (cluster.isRightToLeft() || right - left < 4 || left < EdgeRoom
            || right > area.viewport()->width() - EdgeRoom)
            continue;
        const int row = area.viewport()->height() / 2;
        for (const auto &[x, expected] : {std::pair{left + (right - left) / 4, start + from},
                                          std::pair{right - (right - left) / 4, start + to}}) {
            QTest::mouseClick(area.viewport(), Qt::LeftButton, {}, QPoint(qRound(x), row));
            ++tried;
            if (editor.caretPosition() == expected)
                ++landed;
            else
                missed.append(QStringLiteral("x %1 in „%2” (%3 to %4 px) gave %5, not %6")
                                  .arg(x)
                                  .arg(cluster)
                                  .arg(left)
                                  .arg(right)
                                  .arg(editor.caretPosition())
                                  .arg(expected));
        }
    }
    printNote(QStringLiteral("clicks that landed at the clicked cluster's nearer edge: %1 of %2")
                  .arg(landed)
                  .arg(tried));
    for (const QString &miss : std::as_const(missed).mid(0, 3))
        printNote(QStringLiteral("missed: ") + miss);
    QTest::keyClick(&area, Qt::Key_End, Qt::ControlModifier);
}

void measureLongMixedLine(EditorWindow &editor, int keys)
{
    printSample("paste", pasteUntilPainted(editor));
    QAbstractScrollArea &area = editor.area();
    QTest::keyClick(&area, Qt::Key_End, Qt::ControlModifier);
    area.viewport()->repaint();
    checkClicksLandOnClusters(editor);
    measureIdleCaret(area);
    measureTyping(editor, keys);
    printFigure("peak", statusMebibytes("VmHWM"));
}

void measureNotes(EditorWindow &editor, int keys)
{
    QFile::remove(QStringLiteral("notes3.txt"));
    const Sample read = readUntilPainted(editor);
    printFigure("peak", statusMebibytes("VmHWM"));
    const Sample save = measureWork([&] { editor.save(); });
    printSample("read", read);
    printSample("save", save);
    printSample("read-save", {read.wall + save.wall, read.processor + save.processor});
    printNote(QStringLiteral("notes3.txt holds %1 bytes")
                  .arg(QFileInfo(QStringLiteral("notes3.txt")).size()));
    if (keys > 0)
        measurePagesAndKeys(editor, keys);
}

// Counts the paint events of a widget, so that a measurement can end when the widget has
// painted what it chose to, as it would for the user, rather than forcing a full repaint.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget &widget)
        : m_widget(widget)
    {
        m_widget.installEventFilter(this);
    }
    ~PaintWatch() override { m_widget.removeEventFilter(this); }

    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return false;
    }

private:
    QWidget &m_widget;
    int m_paints = 0;
};

// The key pressed, until the viewport has painted what the key changed.
Sample pressUntilPainted(QAbstractScrollArea &area, Qt::Key key,
                         Qt::KeyboardModifiers modifiers = {})
{
    const PaintWatch watch(*area.viewport());
    return measureWork([&] {
        QTest::keyClick(&area, key, modifiers);
        QElapsedTimer waiting;
        waiting.start();
        constexpr int LongestWaitMilliseconds = 5000;
        while (watch.paints() == 0 && waiting.elapsed() < LongestWaitMilliseconds)
            QCoreApplication::processEvents();
    });
}

// Everyday keys on a large text, each painted as the area chooses: typing words in the middle, the
// idle caret once it has stopped blinking, Ctrl+A and Delete, and Ctrl+Z of that.
void measureEverydayKeys(EditorWindow &editor, int keys)
{
    editor.read();
    QAbstractScrollArea &area = editor.area();
    area.setFocus(Qt::MouseFocusReason);
    QScrollBar *vertical = area.verticalScrollBar();
    vertical->setValue(vertical->maximum() / 2);
    // At the start of a line, so that the words typed stay in view and no key scrolls.
    const QPoint lineStart(2, area.viewport()->height() / 2);
    QTest::mouseClick(area.viewport(), Qt::LeftButton, {}, lineStart);
    runEventLoopFor(100);
    const qsizetype lengthBefore = editor.textLength();
    const QByteArray words = QByteArray("kupic mleko ").repeated(keys / 12 + 1).left(keys);
    std::vector<double> wall;
    std::vector<double> processor;
    for (const char letter : words) {
        const Sample sample = pressUntilPainted(area, Qt::Key(QChar::toUpper(char32_t(letter))));
        wall.push_back(sample.wall);
        processor.push_back(sample.processor);
    }
    printFigure("key-wall", median(wall));
    printFigure("key-processor", median(processor));
    const qsizetype lengthTyped = editor.textLength();
    printNote(QStringLiteral("%1 keys typed: the text %2 them")
                  .arg(keys)
                  .arg(lengthTyped == lengthBefore + keys ? "took" : "did NOT take"));

    // Ten flashes and a second more, so that a caret that stops blinking has stopped.
    runEventLoopFor(QGuiApplication::styleHints()->cursorFlashTime() * 5 + 1000);
    measureIdleCaret(area);

    // The text is not asked for before the edits: a widget that joins it only when asked would
    // have it ready, which a user's editor does not.
    QTest::keyClick(&area, Qt::Key_A, Qt::ControlModifier);
    QCoreApplication::processEvents();
    printSample("delete-all", pressUntilPainted(area, Qt::Key_Delete));
    const bool emptied = editor.textLength() == 0;
    printSample("undo", pressUntilPainted(area, Qt::Key_Z, Qt::ControlModifier));
    printNote(QStringLiteral("Ctrl+A, Delete %1 the text; Ctrl+Z %2 its %3 characters")
                  .arg(emptied ? "emptied" : "did NOT empty")
                  .arg(editor.textLength() == lengthTyped ? "brought back" : "did NOT bring back")
                  .arg(lengthTyped));
}

// Equal but for the figures in them, such as how many characters had arrived.
bool sameMessage(const QString &first, const QString &second)
{
    const auto words = [](QString message) {
        return message.removeIf(
            [](QChar character) { return character.isDigit() || character.isSpace(); });
    };
    return words(first) == words(second);
}

void measurePaste(EditorWindow &editor, const QByteArray &route)
{
    const QString prefix = QString::fromLatin1(route) + QStringLiteral(": ");
    if (!QGuiApplication::clipboard()->supportsSelection()) {
        printNote(prefix + QStringLiteral("needs X11 and another program offering the text"));
        return;
    }
    QAbstractScrollArea &area = editor.area();
    const QString before = editor.text();
    const ModalDialogWatch dialogs;
    const Sample sample = measureWork([&] {
        if (route == "middle-click")
            QTest::mouseClick(area.viewport(), Qt::MiddleButton, {}, QPoint(20, 20));
        else
            QTest::keyClick(&area, Qt::Key_V, Qt::ControlModifier);
        area.viewport()->repaint();
    });
    printSample(route, sample);
    printFigure(route + "-peak", statusMebibytes("VmHWM"));

    const QString after = editor.text();
    const bool unchanged = after == before;
    if (unchanged)
        printNote(prefix + QStringLiteral("the text unchanged"));
    else
        printNote(
            prefix
            + QStringLiteral("taken in: %1 characters; the text now holds %2, the limit is %3")
                  .arg(after.size() - before.size())
                  .arg(after.size())
                  .arg(TextArea::LargestText));
    const QStringList messages = editor.messages() + dialogs.texts();
    for (const QString &message : dialogs.texts())
        printNote(prefix + QStringLiteral("shown in a modal dialog: ") + message);
    printMessages(editor, prefix);

    // What "Wklej" says of the same clipboard.
    const qsizetype shown = editor.messages().size();
    if (!editor.clickPaste())
        return;
    const QStringList withPaste = editor.messages();
    const QString pasteMessage = withPaste.size() > shown ? withPaste.last() : QString();
    printNote(prefix + QStringLiteral("\"Wklej\" says: ")
              + (pasteMessage.isEmpty() ? QStringLiteral("nothing") : pasteMessage));
    const bool refused = unchanged && !messages.isEmpty() && !pasteMessage.isEmpty()
                         && sameMessage(messages.last(), pasteMessage);
    printNote(prefix + QStringLiteral("refused with the \"Wklej\" message, the text unchanged: ")
              + (refused ? QStringLiteral("yes") : QStringLiteral("NO")));
}

} // namespace

int Measurements::measure(const QByteArray &caseName, EditorWindow &editor, int keys)
{
    if (!showWindow(editor))
        return 1;
    if (caseName == "show")
        measureShowing(editor);
    else if (caseName == "long-line")
        measureLongLine(editor, keys);
    else if (caseName == "notes")
        measureNotes(editor, keys);
    else if (caseName == "everyday-keys")
        measureEverydayKeys(editor, keys);
    else if (caseName == "mixed-scripts")
        measureMixedScripts(editor, keys);
    else if (caseName == "long-mixed-line")
        measureLongMixedLine(editor, keys);
    else if (caseName == "ctrl-v" || caseName == "middle-click")
        measurePaste(editor, caseName);
    else
        return 2;
    if (caseName != "ctrl-v" && caseName != "middle-click")
        printMessages(editor, {});
    return 0;
}

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
#include <QTest>

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

void measureLongLine(EditorWindow &editor, int keys)
{
    printSample("read", readUntilPainted(editor));
    QAbstractScrollArea &area = editor.area();
    // A click on "Czytaj" took the focus; the user clicks back into the text to type.
    area.setFocus(Qt::MouseFocusReason);
    QTest::keyClick(&area, Qt::Key_End, Qt::ControlModifier);
    area.viewport()->repaint();
    printFigure("idle-share", idleShareOfCore());
    // The caret blinks only in the focused area of the active window.
    printNote(QStringLiteral("while idle the area %1 the focus in the active window")
                  .arg(area.hasFocus() && area.isActiveWindow() ? "had" : "did NOT have"));

    const qsizetype before = editor.text().size();
    std::vector<double> wall;
    std::vector<double> processor;
    for (int key = 0; key < keys; ++key) {
        const Sample sample = measureWork([&] {
            QTest::keyClick(&area, Qt::Key_A);
            area.viewport()->repaint();
        });
        wall.push_back(sample.wall);
        processor.push_back(sample.processor);
    }
    printFigure("key-wall", median(wall));
    printFigure("key-processor", median(processor));
    printFigure("peak", statusMebibytes("VmHWM"));
    const QString after = editor.text();
    printNote(QStringLiteral("%1 keys typed, the text grew by %2 and %3 with them")
                  .arg(keys)
                  .arg(after.size() - before)
                  .arg(after.endsWith(QString(keys, u'a')) ? "ends" : "does NOT end"));
}

void measureNotes(EditorWindow &editor)
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
        measureNotes(editor);
    else if (caseName == "ctrl-v" || caseName == "middle-click")
        measurePaste(editor, caseName);
    else
        return 2;
    if (caseName != "ctrl-v" && caseName != "middle-click")
        printMessages(editor, {});
    return 0;
}

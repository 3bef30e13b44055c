// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how long one keystroke takes in the main window's text area holding a 10 MB text:
// from the key press to the repainted area, in the middle and at the end of the text.
//
// Run: bench_typing [keystrokes per place], under any platform (QT_QPA_PLATFORM=offscreen or
// an X display). A frame at 60 Hz is 16.7 ms; every keystroke should fit in one.

#include "app/Form1.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr qsizetype TargetSize = 10 * 1024 * 1024;

// Lines of everyday Polish prose of varied length, a few of them empty, each ending in CR LF.
QString typicalText()
{
    const QStringList words = {
        QStringLiteral("notatki"),   QStringLiteral("zeszyt"),  QStringLiteral("spotkanie"),
        QStringLiteral("jutro"),     QStringLiteral("kupić"),   QStringLiteral("mleko"),
        QStringLiteral("zadzwonić"), QStringLiteral("do"),      QStringLiteral("mamy"),
        QStringLiteral("w"),         QStringLiteral("sprawie"), QStringLiteral("urlopu"),
        QStringLiteral("źródło"),    QStringLiteral("łąka"),    QStringLiteral("żółw"),
        QStringLiteral("i"),         QStringLiteral("że"),      QStringLiteral("ściana"),
    };
    QRandomGenerator random(2026);
    QString text;
    text.reserve(TargetSize + 200);
    while (text.size() < TargetSize) {
        const int wordCount = int(random.bounded(0, 14));
        for (int word = 0; word < wordCount; ++word) {
            if (word > 0)
                text += QLatin1Char(' ');
            text += words.at(int(random.bounded(words.size())));
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

struct Keystroke
{
    Qt::Key key;
    char character;
};

// A sentence typed with its spaces, a new line every so often and a few corrections.
std::vector<Keystroke> typingSequence(int count)
{
    const char sentence[] = "ala ma kota a kot ma ale ";
    std::vector<Keystroke> keys;
    for (int index = 0; int(keys.size()) < count; ++index) {
        if (index % 40 == 39) {
            keys.push_back({Qt::Key_Return, 0});
        } else if (index % 17 == 16) {
            keys.push_back({Qt::Key_Backspace, 0});
        } else {
            const char character = sentence[index % (sizeof sentence - 1)];
            const Qt::Key key
                = character == ' ' ? Qt::Key_Space : Qt::Key(Qt::Key_A + (character - 'a'));
            keys.push_back({key, character});
        }
    }
    return keys;
}

// The processor time this thread has used, in milliseconds. Next to the wall-clock time it tells
// a slow keystroke from one that merely waited for a busy processor.
double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timings
{
    std::vector<double> wall;
    std::vector<double> processor;
};

// Presses each key in the text area and repaints it at once, as the window would before the
// next frame; returns each keystroke's times in milliseconds.
Timings typeAndRepaint(TextBox &area, const std::vector<Keystroke> &keys)
{
    Timings timings;
    QElapsedTimer timer;
    for (const Keystroke &keystroke : keys) {
        const double processorStart = threadMilliseconds();
        timer.start();
        QTest::keyClick(&area, keystroke.key, Qt::NoModifier);
        QCoreApplication::processEvents();
        area.viewport()->repaint();
        timings.wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        timings.processor.push_back(threadMilliseconds() - processorStart);
    }
    return timings;
}

void printFigures(const char *place, const char *clock, std::vector<double> milliseconds)
{
    std::ranges::sort(milliseconds);
    const auto at = [&milliseconds](double fraction) {
        return milliseconds[size_t(fraction * double(milliseconds.size() - 1) + 0.5)];
    };
    std::printf("%-7s %-10s keystrokes %4zu  median %6.2f ms  p95 %6.2f ms  max %6.2f ms\n", place,
                clock, milliseconds.size(), at(0.5), at(0.95), milliseconds.back());
}

void printFigures(const char *place, const Timings &timings)
{
    printFigures(place, "wall", timings.wall);
    printFigures(place, "processor", timings.processor);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int keystrokes = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 400;

    Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the window did not show\n");
        return 1;
    }

    const QString text = typicalText();
    QElapsedTimer timer;
    timer.start();
    form.Text1->SetText(text);
    QCoreApplication::processEvents();
    std::printf("platform %s, text %lld characters in %d lines, SetText %.0f ms\n",
                qPrintable(QGuiApplication::platformName()), static_cast<long long>(text.size()),
                int(text.count(QLatin1Char('\n'))), double(timer.nsecsElapsed()) / 1e6);

    form.activateWindow();
    form.Text1->setFocus();
    const std::vector<Keystroke> keys = typingSequence(keystrokes);

    form.Text1->SetSelStart(int(text.size() / 2));
    form.Text1->ensureCaretVisible();
    printFigures("middle", typeAndRepaint(*form.Text1, keys));

    form.Text1->SetSelStart(int(form.Text1->Text().size()));
    form.Text1->ensureCaretVisible();
    printFigures("end", typeAndRepaint(*form.Text1, keys));
    return 0;
}

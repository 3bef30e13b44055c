// SPDX-License-Identifier: GPL-3.0-or-later
// The window at the edges of what it takes, one mode per case; each prints its figures and the
// platform. Shift+Up and the paste mean most under X11 (see run-on-x11.sh): offscreen has no
// primary selection and no other program to paste from.
//
//   bench_edges growing-file          Czytaj while another process keeps appending to notes.txt
//   bench_edges copy [MEGABYTES]      Zaznacz wszystko, then Kopiuj timed (default 40 MB)
//   bench_edges shift-up [MEGABYTES]  one Shift+Up on the whole text selected (default 40 MB)
//   bench_edges paste                 Wklej of what another program holds on the clipboard
//   bench_edges long-line [MEGABYTES] caret in one long line: idle processor use and keystrokes
//                                     (default 1 MB); then Czytaj of a 20 MB single line
//
// Times are medians of several rounds; "processor" is the process's own processor time, which
// other programs on the machine disturb far less than the wall clock.

#include "app/Form1.h"
#include "bench/support/ProcessMemory.h"
#include "bench/support/ProcessorTime.h"
#include "clipboard/Selection.h"
#include "common/RuntimeFailure.h"
#include "controls/CommandButton.h"
#include "textarea/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <vector>

namespace {

Sample median(const std::vector<Sample> &samples)
{
    std::vector<double> wall;
    std::vector<double> processor;
    for (const Sample &sample : samples) {
        wall.push_back(sample.wall);
        processor.push_back(sample.processor);
    }
    return {::median(wall), ::median(processor)};
}

// Lines of about 40 characters, CR LF ended.
QString linesOf(qsizetype size)
{
    const QString line = QStringLiteral("Zażółć gęślą jaźń, notatki na dziś i jutro\r\n");
    QString text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    return text;
}

struct Window
{
    Form1 form;

    Window()
    {
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("the window did not show");
        QApplication::setActiveWindow(&form);
    }
};

int growingFile()
{
    Window window;
    // yes(1) appends far faster than a file is read.
    QProcess writer;
    writer.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec yes linia >> notes.txt")});
    if (!writer.waitForStarted())
        return 1;
    while (QFileInfo(QStringLiteral("notes.txt")).size() < 20'000'000)
        QThread::msleep(1);
    QString outcome;
    const Sample sample = measureWork([&] {
        try {
            window.form.ReadNotes();
            outcome = QStringLiteral("read to the end (the writer fell behind)");
        } catch (const RuntimeFailure &failure) {
            outcome = failure.description();
        }
    });
    writer.kill();
    writer.waitForFinished();
    std::printf("Czytaj of a growing notes.txt (from 20 MB, yes appending): %.0f ms wall, %.0f ms "
                "processor, peak %.0f MiB; text now %s\n",
                sample.wall, sample.processor, statusMebibytes("VmHWM"),
                window.form.Text1->Text() == u"Text1" ? "\"Text1\" as before" : "CHANGED");
    std::printf("message: %s\n", qPrintable(outcome));
    return 0;
}

int copy(qsizetype megabytes)
{
    Window window;
    window.form.Text1->SetText(linesOf(megabytes * 1'000'000));
    std::vector<Sample> samples;
    for (int round = 0; round < 5; ++round) {
        Selection::SelectAllText(*window.form.Text1);
        samples.push_back(measureWork([&] { Selection::CopySelection(*window.form.Text1); }));
    }
    const Sample middle = median(samples);
    std::printf("Kopiuj of %lld MB: median of 5: %.0f ms wall, %.0f ms processor; clipboard holds "
                "%lld characters\n",
                megabytes, middle.wall, middle.processor,
                qint64(QApplication::clipboard()->text().size()));
    return 0;
}

int shiftUp(qsizetype megabytes)
{
    Window window;
    TextBox &area = *window.form.Text1;
    area.SetText(linesOf(megabytes * 1'000'000));
    area.setFocus();
    std::vector<Sample> samples;
    const int length = int(area.Text().size());
    for (int round = 0; round < 7; ++round) {
        // The whole text selected, the caret at its end: Shift+Up leaves all but the last line.
        area.SetSelStart(0);
        area.SetSelLength(length);
        area.ensureCaretVisible();
        QCoreApplication::processEvents();
        samples.push_back(measureWork([&] {
            QTest::keyClick(&area, Qt::Key_Up, Qt::ShiftModifier);
            area.viewport()->repaint();
        }));
    }
    const Sample middle = median(samples);
    std::printf("Shift+Up in %lld MB (primary selection %s): median of 7: %.1f ms wall, %.1f ms "
                "processor\n",
                megabytes,
                QApplication::clipboard()->supportsSelection() ? "offered" : "not on this platform",
                middle.wall, middle.processor);
    return 0;
}

int paste()
{
    Window window;
    QString outcome = QStringLiteral("pasted");
    Selection::SelectAllText(*window.form.Text1);
    const Sample sample = measureWork([&] {
        try {
            Selection::PasteClipboard(*window.form.Text1);
        } catch (const RuntimeFailure &failure) {
            outcome = failure.description();
        }
    });
    std::printf("Wklej: %.0f ms wall, %.0f ms processor, peak %.0f MiB; text now %lld characters\n",
                sample.wall, sample.processor, statusMebibytes("VmHWM"),
                qint64(window.form.Text1->Text().size()));
    std::printf("outcome: %s\n", qPrintable(outcome));
    return 0;
}

int longLine(qsizetype megabytes)
{
    Window window;
    TextBox &area = *window.form.Text1;
    area.SetText(QString(megabytes * 1'000'000, u'x'));
    area.setFocus();
    area.SetSelStart(int(megabytes * 500'000));
    area.ensureCaretVisible();
    QCoreApplication::processEvents();

    // Idle: nothing happens but the caret blinking, once the window has settled. The event loop
    // sleeps between events; processEvents() with a time limit would poll and count itself.
    runEventLoopFor(2000);
    const double processorStart = processorMilliseconds();
    QElapsedTimer idle;
    idle.start();
    runEventLoopFor(5000);
    const double share = (processorMilliseconds() - processorStart) / double(idle.elapsed());
    std::printf("caret in a %lld MB line, idle for 5 s: %.1f%% of a core (goal: under 5%%)\n",
                megabytes, share * 100);

    std::vector<Sample> samples;
    for (int key = 0; key < 9; ++key) {
        samples.push_back(measureWork([&] {
            QTest::keyClick(&area, Qt::Key_A);
            area.viewport()->repaint();
        }));
    }
    const Sample middle = median(samples);
    std::printf("keystroke painted: median of 9: %.0f ms wall, %.0f ms processor (goal: 100 ms)\n",
                middle.wall, middle.processor);

    QFile notes(QStringLiteral("notes.txt"));
    if (!notes.open(QIODevice::WriteOnly) || notes.write(QByteArray(20'000'000, 'x')) != 20'000'000)
        return 1;
    notes.close();
    const Sample read = measureWork([&] {
        window.form.Command2->click();
        window.form.repaint();
    });
    std::printf("Czytaj of a 20 MB single line, painted: %.0f ms wall, %.0f ms processor (goal: "
                "3000 ms)\n",
                read.wall, read.processor);
    std::printf("memory after it: peak %.0f MiB, resident %.0f MiB\n", statusMebibytes("VmHWM"),
                statusMebibytes("VmRSS"));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    const qsizetype megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 0;
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path()))
        return 1;
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    if (mode == "growing-file")
        return growingFile();
    if (mode == "copy")
        return copy(megabytes > 0 ? megabytes : 40);
    if (mode == "shift-up")
        return shiftUp(megabytes > 0 ? megabytes : 40);
    if (mode == "paste")
        return paste();
    if (mode == "long-line")
        return longLine(megabytes > 0 ? megabytes : 1);
    std::fprintf(stderr,
                 "usage: bench_edges growing-file|copy|shift-up|paste|long-line [MEGABYTES]\n");
    return 2;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Memory of the window after "Czytaj": the peak of one read against the stock widget's floor
// (decoding the file and one setPlainText into a QPlainTextEdit), and the resident memory after
// each of several reads of the same file, which Undo history could make grow without end.
//
// Usage: bench_memory one-read|floor|reads [MEBIBYTES [READS]]
//        (defaults: 10 MiB, about 250,000 lines; 16 reads). Each mode is a process of its own,
//        since the peak is the process's.

#include "app/Form1.h"
#include "bench/support/ProcessMemory.h"
#include "bench/support/SampleNotes.h"
#include "textarea/TextBox.h"

#include "tests/support/Windows1250Text.h"
#include <QPlainTextEdit>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("one-read");
    const qint64 mebibytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 10;
    const int reads = argc > 3 ? QByteArray(argv[3]).toInt() : 16;
    if ((mode != "one-read" && mode != "floor" && mode != "reads") || mebibytes <= 0
        || reads <= 0) {
        std::fprintf(stderr, "usage: bench_memory one-read|floor|reads [MEBIBYTES [READS]]\n");
        return 2;
    }

    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path()))
        return 1;
    {
        const QByteArray bytes = makeNotes(mebibytes << 20);
        QFile notes(QStringLiteral("notes.txt"));
        if (!notes.open(QIODevice::WriteOnly) || notes.write(bytes) != bytes.size())
            return 1;
    }

    Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    settle();
    const double before = statusMebibytes("VmRSS");
    std::printf("platform %s, %lld MiB notes.txt; before reading: %.0f MiB resident\n",
                qPrintable(QGuiApplication::platformName()), mebibytes, before);

    if (mode == "floor") {
        QFile notes(QStringLiteral("notes.txt"));
        if (!notes.open(QIODevice::ReadOnly))
            return 1;
        // The stock widget's floor, in place of the area.
        QPlainTextEdit stock;
        stock.setLineWrapMode(QPlainTextEdit::NoWrap);
        stock.show();
        stock.setPlainText(windows1250Text(notes.readAll()));
        settle();
        std::printf("floor (decode, one setPlainText): peak %.0f MiB, resident %.0f MiB\n",
                    statusMebibytes("VmHWM"), statusMebibytes("VmRSS"));
        return 0;
    }
    if (mode == "one-read") {
        form.ReadNotes();
        settle();
        std::printf("one Czytaj: peak %.0f MiB, resident %.0f MiB\n", statusMebibytes("VmHWM"),
                    statusMebibytes("VmRSS"));
        return 0;
    }

    form.Text1->SetText(QStringLiteral("tekst sprzed czytania"));
    double first = 0;
    for (int read = 1; read <= reads; ++read) {
        QElapsedTimer timer;
        timer.start();
        form.ReadNotes();
        settle();
        const qint64 milliseconds = timer.elapsed();
        const double resident = statusMebibytes("VmRSS");
        if (read == 1)
            first = resident;
        std::printf("Czytaj %2d: %5lld ms, resident %5.0f MiB (%+.0f MiB over the first)\n", read,
                    milliseconds, resident, resident - first);
    }
    std::printf("%d Czytaj: %+.0f MiB over the first (goal: within 60 MiB); peak %.0f MiB\n", reads,
                statusMebibytes("VmRSS") - first, statusMebibytes("VmHWM"));
    // Undo of the latest read gives back the text it replaced, which is the same file.
    const QString read = form.Text1->Text();
    form.Text1->undo();
    const bool undoneToFile = form.Text1->Text() == read;
    form.Text1->undo();
    std::printf("Undo of the latest Czytaj restores the earlier text: %s\n",
                undoneToFile ? "yes" : "NO");
    return undoneToFile ? 0 : 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Times "Czytaj" in the shown window on the notes files whose shape is hardest for the text area:
// one very long line (the area lays a line out whole), very many empty lines, and lines ended by
// LF alone, which make one line holding all the LFs. The time runs
// from the click until the window has painted the text.
//
// Usage: bench_oddnotes [long-line|empty-lines|lf-lines] [MEGABYTES [ROUNDS]]
//        (defaults: long-line, 20 MB, 3 rounds; the best round counts)

#include "app/Form1.h"
#include "bench/support/SampleNotes.h"
#include "controls/CommandButton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray notesOfShape(const QByteArray &shape, qsizetype size)
{
    if (shape == "empty-lines")
        return makeEmptyLines(size);
    if (shape == "lf-lines")
        return QByteArray("Linia z pliku zapisanego w systemie Unix\n").repeated(size / 41);
    return makeLongLine(size);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray shape = argc > 1 ? QByteArray(argv[1]) : QByteArray("long-line");
    const qsizetype megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 20;
    const int rounds = argc > 3 ? QByteArray(argv[3]).toInt() : 3;
    if ((shape != "long-line" && shape != "empty-lines" && shape != "lf-lines") || megabytes <= 0
        || rounds <= 0) {
        std::fprintf(stderr,
                     "usage: bench_oddnotes [long-line|empty-lines] [MEGABYTES [ROUNDS]]\n");
        return 2;
    }

    const QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path()))
        return 1;
    QFile notes(QStringLiteral("notes.txt"));
    const QByteArray bytes = notesOfShape(shape, megabytes * 1'000'000);
    if (!notes.open(QIODevice::WriteOnly) || notes.write(bytes) != bytes.size())
        return 1;
    notes.close();

    QList<qint64> times;
    for (int round = 0; round < rounds; ++round) {
        Form1 form;
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            return 1;
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(form.Command2, Qt::LeftButton);
        form.repaint();
        QCoreApplication::processEvents();
        times.append(timer.elapsed());
        std::printf("round %d: %lld ms\n", round + 1, times.last());
    }
    std::printf("Czytaj, %s, %lld MB: best %lld ms of %d rounds\n", shape.constData(),
                qint64(megabytes), *std::min_element(times.begin(), times.end()), rounds);
    return 0;
}

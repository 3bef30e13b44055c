// SPDX-License-Identifier: GPL-3.0-or-later
// Times reading notes.txt and saving notes3.txt against what the stock QPlainTextEdit needs for
// the same work, in one run:
//   reading: the operation vs decoding the bytes and one setPlainText;
//   saving:  the operation vs toPlainText, encoding and writing with QSaveFile, both on the way
//            a save usually takes (a new file renamed over notes3.txt) and on the way it takes
//            when notes3.txt has a second name (a synced copy of the old text, then the file
//            overwritten in place);
//   decomposed: saving the same notes with each accented letter as a base letter and a mark,
//            as PDFs give Polish, vs saving them composed.
//
// Usage: bench_notes [MEBIBYTES [ROUNDS]]   (defaults: 10 MiB, 9 rounds; the best round counts)

#include "bench/support/SampleNotes.h"
#include "notes/LineReader.h"
#include "notes/Notes.h"
#include "textarea/TextBox.h"

#include "files/WorkingFolder.h"
#include "notes/Windows1250.h"
#include "tests/support/Windows1250Text.h"
#include <QPlainTextEdit>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void resetArea(TextBox &area)
{
    area.setInitialText(QStringLiteral("Text1"));
    QCoreApplication::processEvents();
}

struct Timings
{
    double floor = 1e30;
    double operation = 1e30;
};

double millisecondsFor(TextBox &area, const std::function<void()> &work, bool reset)
{
    if (reset)
        resetArea(area);
    QElapsedTimer timer;
    timer.start();
    work();
    // Layout work the widget posts for later counts too.
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The best of several rounds of each, the two taking turns so that a busy moment of the machine
// does not fall on one side only.
Timings compare(int rounds, TextBox &area, const std::function<void()> &floor,
                const std::function<void()> &operation, bool reset)
{
    Timings best;
    for (int round = 0; round < rounds; ++round) {
        best.floor = std::min(best.floor, millisecondsFor(area, floor, reset));
        best.operation = std::min(best.operation, millisecondsFor(area, operation, reset));
    }
    return best;
}

// The same letters, each written as its canonical decomposition (a base letter and a mark),
// as PDFs give Polish. Built a character at a time: QString::normalized() takes time in the
// square of the length to decompose a text of many megabytes.
QString decomposed(const QString &text)
{
    QString letters;
    letters.reserve(text.size() * 2);
    for (const QChar character : text) {
        if (character.decompositionTag() == QChar::Canonical)
            letters += character.decomposition();
        else
            letters += character;
    }
    return letters;
}

long peakKilobytes()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qint64 mebibytes = arguments.size() > 1 ? arguments.at(1).toLongLong() : 10;
    const int rounds = arguments.size() > 2 ? arguments.at(2).toInt() : 9;

    const bool overLimit = (mebibytes << 20) > Notes::LargestNotesFile;
    QTemporaryDir temporary;
    QDir::setCurrent(temporary.path());
    const WorkingFolder folder = WorkingFolder::current();
    const QByteArray bytes = makeNotes(mebibytes << 20);
    {
        QFile notes(QStringLiteral("notes.txt"));
        if (!notes.open(QIODevice::WriteOnly) || notes.write(bytes) != bytes.size())
            return 1;
    }

    TextBox area;
    area.resize(400, 300);
    area.show();
    QCoreApplication::processEvents();

    // The floor is the stock widget's: decoding and one setPlainText.
    QPlainTextEdit stock;
    stock.setLineWrapMode(QPlainTextEdit::NoWrap);
    stock.resize(400, 300);
    stock.show();
    const auto readFloor = [&] {
        QFile notes(QStringLiteral("notes.txt"));
        notes.open(QIODevice::ReadOnly);
        stock.setPlainText(windows1250Text(notes.readAll()));
    };
    // Above the operation's size limit the same steps run from a reader opened without it, which
    // is how the limit was chosen.
    const auto readOperation = [&] {
        if (!overLimit) {
            Notes::ReadNotes(area, folder);
            return;
        }
        LineReader notes = LineReader::open(folder, QStringLiteral("notes.txt"), bytes.size());
        Notes::ReadNotes(area, notes);
    };
    const Timings read = compare(rounds, area, readFloor, readOperation, true);

    const qsizetype lines = area.buffer().lineCount() - 1;
    const bool sameText = area.Text() == windows1250Text(bytes);

    const auto saveFloor = [&] {
        QSaveFile notes3(QStringLiteral("floor3.txt"));
        notes3.open(QIODevice::WriteOnly);
        notes3.write(Windows1250::encode(stock.toPlainText()).bytes);
        notes3.commit();
    };
    const auto saveOperation = [&] {
        Notes::SaveNotes(area, folder);
    };
    const Timings save = compare(rounds, area, saveFloor, saveOperation, false);
    QFile saved(QStringLiteral("notes3.txt"));
    saved.open(QIODevice::ReadOnly);
    bool sameBytes = saved.readAll() == bytes;
    saved.close();

    // A second name for notes3.txt: the save must keep both names on the one file.
    if (::link("notes3.txt", "second-name.txt") != 0) {
        std::perror("second-name.txt");
        return 1;
    }
    const Timings saveInPlace = compare(rounds, area, saveFloor, saveOperation, false);
    QFile secondName(QStringLiteral("second-name.txt"));
    secondName.open(QIODevice::ReadOnly);
    sameBytes = sameBytes && secondName.readAll() == bytes;
    struct stat first = {};
    struct stat second = {};
    const bool stillLinked = ::stat("notes3.txt", &first) == 0
                             && ::stat("second-name.txt", &second) == 0
                             && first.st_ino == second.st_ino && first.st_nlink == 2;
    const QStringList left = QDir().entryList(QDir::Files | QDir::Hidden);
    const bool nothingLeft
        = left == QStringList{"floor3.txt", "notes.txt", "notes3.txt", "second-name.txt"};

    const long peak = peakKilobytes();

    // The same notes decomposed, saved into a folder of their own against the composed ones.
    QDir().mkdir(QStringLiteral("decomposed"));
    QDir::setCurrent(temporary.filePath(QStringLiteral("decomposed")));
    const WorkingFolder decomposedFolder = WorkingFolder::current();
    TextBox decomposedArea;
    decomposedArea.SetText(decomposed(area.Text()));
    const auto saveComposed = [&] {
        Notes::SaveNotes(area, decomposedFolder);
    };
    const auto saveDecomposed = [&] {
        Notes::SaveNotes(decomposedArea, decomposedFolder);
    };
    const Timings decomposedSave = compare(rounds, area, saveComposed, saveDecomposed, false);
    QFile decomposedSaved(QStringLiteral("notes3.txt"));
    decomposedSaved.open(QIODevice::ReadOnly);
    const bool composedBytes = decomposedSaved.readAll() == bytes;

    std::printf("file: %lld bytes, %lld lines, platform %s, best of %d rounds each, taking turns\n",
                qint64(bytes.size()), qint64(lines), qPrintable(QGuiApplication::platformName()),
                rounds);
    std::printf("read: %8.1f ms   floor %8.1f ms   ratio %.3f (goal <= 1.1)\n", read.operation,
                read.floor, read.operation / read.floor);
    std::printf("save: %8.1f ms   floor %8.1f ms   ratio %.3f (goal <= 1.2)\n", save.operation,
                save.floor, save.operation / save.floor);
    std::printf("save in place (notes3.txt hard-linked): %8.1f ms   floor %8.1f ms   ratio %.3f\n",
                saveInPlace.operation, saveInPlace.floor,
                saveInPlace.operation / saveInPlace.floor);
    if (overLimit)
        std::printf("(over the size limit: read from a reader opened without it)\n");
    std::printf("save decomposed (%lld characters, %lld more): %8.1f ms   composed %8.1f ms   "
                "ratio %.3f\n",
                qint64(decomposedArea.Text().size()),
                qint64(decomposedArea.Text().size() - area.Text().size()), decomposedSave.operation,
                decomposedSave.floor, decomposedSave.operation / decomposedSave.floor);
    std::printf("peak memory: %ld MiB (before the decomposed notes)\n", peak / 1024);
    std::printf("saved file (both names) equals notes.txt: %s; text equals its bytes: %s; still "
                "one file under two names: %s; no copy or temporary file left: %s\n",
                sameBytes ? "yes" : "NO", sameText ? "yes" : "NO", stillLinked ? "yes" : "NO",
                nothingLeft ? "yes" : "NO");
    std::printf("decomposed notes saved as the composed bytes: %s\n", composedBytes ? "yes" : "NO");
    return sameBytes && stillLinked && nothingLeft && composedBytes ? 0 : 1;
}

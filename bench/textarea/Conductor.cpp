// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/textarea/Conductor.h"

#include "bench/support/ProcessorTime.h"
#include "bench/support/SampleNotes.h"
#include "bench/textarea/ClipboardOffer.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

struct Figure
{
    const char *name;
    const char *label;
    int decimals = 1;
    // The goal: at most this much, and at most this share of the stock floor's figure; 0 for
    // none. Memory goals in MB are shown in MiB.
    double limit = 0;
    double floorShare = 0;
};

struct GoalRow
{
    const char *name;
    const char *workload;
    // notes.txt in the measurements' folder, or nothing.
    QByteArray (*notes)();
    // The text another program offers on the clipboard and as the primary selection, or nothing.
    QByteArray (*offer)();
    QByteArrayList cases;
    int keys;
    int rounds;
    std::vector<Figure> figures;
};

constexpr double mebibytesOf(double megabytes)
{
    return megabytes * 1e6 / (1 << 20);
}

Figure readWall(double limit = 0)
{
    return {"read-wall", "\"Czytaj\" until painted: wall ms", 1, limit};
}

const Figure ReadProcessor{"read-processor", "  processor ms"};
const Figure PageProcessor{"page-processor", "PageDown painted (median): processor ms"};
const Figure KeyProcessor{"key-processor", "keystroke painted (median): processor ms"};

Figure peak(double limit = 0)
{
    return {"peak", "peak memory (VmHWM) MiB", 0, limit};
}

const std::vector<GoalRow> &goalRows()
{
    static const std::vector<GoalRow> rows{
        {"empty-lines-32",
         "32 MiB of empty lines (16 Mi CR LF) shown",
         [] { return makeEmptyLines(qsizetype(32) << 20); },
         nullptr,
         {"show"},
         0,
         1,
         {readWall(400), ReadProcessor, peak(mebibytesOf(150))}},
        {"empty-lines-64",
         "64 MiB of empty lines (32 Mi CR LF) shown",
         [] { return makeEmptyLines(qsizetype(64) << 20); },
         nullptr,
         {"show"},
         0,
         1,
         {readWall(800), ReadProcessor, peak(mebibytesOf(300))}},
        {"long-line-1m",
         "one line of 1,000,000 characters: keystrokes at its end, the idle caret",
         [] { return makeLongLine(1'000'000); },
         nullptr,
         {"long-line"},
         9,
         1,
         {readWall(),
          {"key-processor", "keystroke painted (median): processor ms", 1, 5},
          {"key-wall", "  wall ms"},
          {"idle-share", "idle blinking caret: % of a core", 2, 0.5},
          peak()}},
        {"long-line-20m",
         "one line of 20,000,000 characters: shown, then keystrokes at its end",
         [] { return makeLongLine(20'000'000); },
         nullptr,
         {"long-line"},
         5,
         1,
         {readWall(400),
          ReadProcessor,
          {"key-processor", "keystroke painted (median): processor ms", 1, 5},
          {"key-wall", "  wall ms"},
          {"idle-share", "idle blinking caret: % of a core", 2},
          peak()}},
        {"notes-10m",
         "10 MiB of ordinary notes (about 250,000 lines): \"Czytaj\" + \"Zapisz\", then "
         "50 pages down and keys in the middle",
         [] { return makeNotes(qsizetype(10) << 20); },
         nullptr,
         {"notes"},
         9,
         5,
         {{"read-save-wall", "\"Czytaj\" + \"Zapisz\": wall ms", 1, 200, 0.25},
          {"read-save-processor", "  processor ms"},
          readWall(),
          {"save-wall", "\"Zapisz\": wall ms"},
          {"peak", "peak memory after one \"Czytaj\" MiB", 0, mebibytesOf(60)},
          PageProcessor,
          KeyProcessor}},
        {"everyday-keys-10m",
         "10 MiB of ordinary notes (about 250,000 lines): two words typed at a line start in "
         "the middle, the idle caret after ten flashes, Ctrl+A and Delete, then Ctrl+Z",
         [] { return makeNotes(qsizetype(10) << 20); },
         nullptr,
         {"everyday-keys"},
         24,
         3,
         {{"key-processor", "keystroke painted (median): processor ms", 2, 0.12},
          {"key-wall", "  wall ms", 2},
          {"idle-share", "idle caret after ten flashes: % of a core", 2, 0.1},
          {"delete-all-processor", "Ctrl+A, Delete painted: processor ms", 1, 18},
          {"delete-all-wall", "  wall ms"},
          {"undo-processor", "Ctrl+Z of that painted: processor ms", 1, 14},
          {"undo-wall", "  wall ms"}}},
        {"mixed-scripts-10m",
         "10 MiB of notes, one line in ten with emoji, a flag, Arabic and decomposed Polish, "
         "pasted: 50 pages down, keys in the middle",
         nullptr,
         [] { return makeMixedNotes(qsizetype(10) << 20); },
         {"mixed-scripts"},
         9,
         1,
         {{"paste-wall", "Ctrl+V until painted: wall ms"},
          {"paste-processor", "  processor ms"},
          {"page-processor", "PageDown painted (median): processor ms", 1, 16},
          {"page-wall", "  wall ms"},
          {"key-processor", "keystroke painted (median): processor ms", 1, 5},
          {"key-wall", "  wall ms"},
          peak()}},
        {"long-line-mixed-1m",
         "one line of 1,000,000 characters of Polish, emoji, flags, Arabic and decomposed Polish, "
         "pasted: clicks on its last clusters, keystrokes at its end",
         nullptr,
         [] { return makeMixedLine(1'000'000); },
         {"long-mixed-line"},
         5,
         1,
         {{"paste-wall", "Ctrl+V until painted: wall ms"},
          {"paste-processor", "  processor ms"},
          {"key-processor", "keystroke painted (median): processor ms", 1, 5},
          {"key-wall", "  wall ms"},
          {"idle-share", "idle blinking caret: % of a core", 2, 0.5},
          peak()}},
        {"paste-80m",
         "Ctrl+V and a middle click of 80 MiB of text lines offered by another program",
         nullptr,
         [] {
             const QByteArray line("Notatki z innego programu, wiersz za wierszem.\n");
             return line.repeated((qsizetype(80) << 20) / line.size() + 1)
                 .left(qsizetype(80) << 20);
         },
         {"ctrl-v", "middle-click"},
         0,
         1,
         {{"ctrl-v-wall", "Ctrl+V until painted: wall ms"},
          {"ctrl-v-processor", "  processor ms"},
          {"ctrl-v-peak", "  peak memory (VmHWM) MiB", 0, mebibytesOf(150)},
          {"middle-click-wall", "middle click until painted: wall ms"},
          {"middle-click-processor", "  processor ms"},
          {"middle-click-peak", "  peak memory (VmHWM) MiB", 0, mebibytesOf(150)}}},
    };
    return rows;
}

// Long enough for the slowest measurement of today's widget, short enough to end a hung one.
constexpr int LongestMeasurementMilliseconds = 15 * 60 * 1000;

struct Results
{
    QHash<QByteArray, std::vector<double>> figures;
    QStringList notes;
};

void measureInFreshProcess(const QByteArray &subject, const GoalRow &row,
                           const QByteArray &caseName, const QString &folder, Results &results)
{
    std::optional<ClipboardOffer> offer;
    if (row.offer) {
        offer.emplace(folder + QStringLiteral("/offer.txt"));
        if (!offer->failure().isEmpty()) {
            results.notes.append(QString::fromLatin1(caseName) + QStringLiteral(": ")
                                 + offer->failure());
            return;
        }
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setWorkingDirectory(folder);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--measure"), QString::fromLatin1(subject),
                   QString::fromLatin1(caseName), QString::number(row.keys)});
    if (!process.waitForFinished(LongestMeasurementMilliseconds)) {
        process.kill();
        process.waitForFinished();
        results.notes.append(QStringLiteral("%1: stopped after %2 s without finishing")
                                 .arg(QString::fromLatin1(caseName))
                                 .arg(LongestMeasurementMilliseconds / 1000));
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        results.notes.append(
            QStringLiteral("%1: the process ended abnormally (%2 %3)")
                .arg(QString::fromLatin1(caseName), process.exitStatus() == QProcess::CrashExit
                                                        ? QStringLiteral("crash, signal")
                                                        : QStringLiteral("exit status"))
                .arg(process.exitCode()));
    }
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const QByteArrayList words = line.split(' ');
        if (words.size() == 3 && words.first() == "figure")
            results.figures[words.at(1)].push_back(words.at(2).toDouble());
        else if (line.startsWith("note "))
            results.notes.append(QString::fromUtf8(line.mid(5)));
    }
}

QByteArray loadAverage()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (!loadavg.open(QIODevice::ReadOnly))
        return "unknown";
    const QByteArrayList fields = loadavg.readAll().split(' ');
    return fields.mid(0, 3).join(' ');
}

QByteArray cell(const std::vector<double> &values, int decimals)
{
    return values.empty() ? QByteArray("-") : QByteArray::number(median(values), 'f', decimals);
}

// "<= LIMIT, <= SHAREx floor: met" or "MISSED"; "" for a figure without a goal.
QByteArray goal(const Figure &figure, const std::vector<double> &ours,
                const std::vector<double> &floor)
{
    QByteArrayList parts;
    bool met = !ours.empty();
    if (figure.limit > 0) {
        parts.append("<= " + QByteArray::number(figure.limit, 'f', figure.decimals));
        met = met && median(ours) <= figure.limit;
    }
    if (figure.floorShare > 0) {
        parts.append("<= " + QByteArray::number(figure.floorShare) + "x floor");
        met = met && !floor.empty() && median(ours) <= figure.floorShare * median(floor);
    }
    if (parts.isEmpty())
        return {};
    return parts.join(", ") + (met ? ": met" : ": MISSED");
}

void printTable(const GoalRow &row, const Results &notatki, const Results &stock)
{
    std::printf("%-44s %12s %12s %7s  %s\n", "", "notatki", "stock floor", "ratio", "goal");
    for (const Figure &figure : row.figures) {
        const std::vector<double> ours = notatki.figures.value(figure.name);
        const std::vector<double> floor = stock.figures.value(figure.name);
        const QByteArray ratio = ours.empty() || floor.empty() || median(floor) <= 0
                                     ? QByteArray("-")
                                     : QByteArray::number(median(ours) / median(floor), 'f', 2);
        std::printf("%-44s %12s %12s %7s  %s\n", figure.label,
                    cell(ours, figure.decimals).constData(),
                    cell(floor, figure.decimals).constData(), ratio.constData(),
                    goal(figure, ours, floor).constData());
    }
    const auto printNotes = [](const char *subject, QStringList notes) {
        notes.removeDuplicates();
        for (const QString &note : notes)
            std::printf("%s: %s\n", subject, note.toUtf8().constData());
    };
    printNotes("notatki", notatki.notes);
    printNotes("stock floor", stock.notes);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int Conductor::runRow(const QByteArray &rowName, const Options &options)
{
    const auto row
        = std::find_if(goalRows().begin(), goalRows().end(),
                       [&](const GoalRow &candidate) { return rowName == candidate.name; });
    if (row == goalRows().end())
        return 2;
    const int rounds = options.rounds > 0 ? options.rounds : row->rounds;

    const QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    std::printf("%s: %s\n", row->name, row->workload);
    if (row->notes) {
        const QByteArray bytes = row->notes();
        if (!writeFile(folder.filePath(QStringLiteral("notes.txt")), bytes))
            return 1;
        std::printf("notes.txt: %lld bytes, %lld line ends\n", qint64(bytes.size()),
                    qint64(bytes.count('\n')));
    }
    if (row->offer) {
        const QByteArray bytes = row->offer();
        if (!writeFile(folder.filePath(QStringLiteral("offer.txt")), bytes))
            return 1;
        std::printf("offered by xclip, afresh for each measurement: %lld bytes, %lld lines\n",
                    qint64(bytes.size()), qint64(bytes.count('\n')));
    }
    if (options.withFloor) {
        std::printf("%d round(s), each measurement in a fresh process, notatki and the stock "
                    "floor taking turns; medians shown\n",
                    rounds);
    } else {
        std::printf("%d round(s), each measurement in a fresh process, without the stock floor; "
                    "medians shown\n",
                    rounds);
    }
    std::printf("memory in MiB, goals too (the goals' 150 MB show as 143 MiB)\n");
    std::printf("load average before: %s\n", loadAverage().constData());
    std::fflush(stdout);

    Results notatki;
    Results stock;
    for (int round = 0; round < rounds; ++round) {
        for (const QByteArray &caseName : row->cases) {
            const bool notatkiFirst = round % 2 == 0 || !options.withFloor;
            measureInFreshProcess(notatkiFirst ? "notatki" : "stock", *row, caseName, folder.path(),
                                  notatkiFirst ? notatki : stock);
            if (options.withFloor) {
                measureInFreshProcess(notatkiFirst ? "stock" : "notatki", *row, caseName,
                                      folder.path(), notatkiFirst ? stock : notatki);
            }
        }
    }
    printTable(*row, notatki, stock);
    std::printf("load average after: %s\n\n", loadAverage().constData());
    return 0;
}

void Conductor::printUsage()
{
    std::fprintf(stderr, "usage: bench_textarea ROW [ROUNDS] [--no-floor]\nrows:\n");
    for (const GoalRow &row : goalRows())
        std::fprintf(stderr, "  %-15s %s (%d round(s) unless told)\n", row.name, row.workload,
                     row.rounds);
}

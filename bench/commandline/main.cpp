// SPDX-License-Identifier: GPL-3.0-or-later
// What reading the command line and looking for the display add to the start of the window,
// and how long "notatki --version" takes as a whole process.
//
//   bench_commandline PATH/TO/notatki [ROUNDS]
//
// Run it where the window could be shown (DISPLAY set, e.g. under xvfb-run -a): the display
// check then finds the display, as at every start of the window. Prints medians and spreads.

#include "startup/Startup.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void printSummary(const char *name, std::vector<double> milliseconds)
{
    std::ranges::sort(milliseconds);
    const auto at = [&milliseconds](double fraction) {
        return milliseconds[size_t(fraction * double(milliseconds.size() - 1) + 0.5)];
    };
    std::printf("%-40s median %7.2f ms   min %7.2f   p90 %7.2f   max %7.2f   (%zu runs)\n", name,
                at(0.5), milliseconds.front(), at(0.9), milliseconds.back(), milliseconds.size());
}

// The start of the window up to its QApplication: no arguments, a display to find.
double answerNoArguments(char *program)
{
    int argc = 1;
    char *argv[] = {program, nullptr};
    QElapsedTimer timer;
    timer.start();
    const std::optional<int> exitCode = Startup::answerCommandLine(argc, argv);
    const double elapsed = timer.nsecsElapsed() / 1e6;
    return exitCode ? -1 : elapsed;
}

double runVersion(const QString &notatki)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(notatki, {QStringLiteral("--version")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_commandline PATH/TO/notatki [ROUNDS]\n");
        return 2;
    }
    const QString notatki = QString::fromLocal8Bit(argv[1]);
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 50;

    std::vector<double> inProcess;
    std::vector<double> version;
    for (int round = 0; round < rounds + 1; ++round) {
        const double answered = answerNoArguments(argv[0]);
        if (answered < 0) {
            std::fprintf(stderr, "no display found: run this where the window could be shown\n");
            return 1;
        }
        const double versionRun = runVersion(notatki);
        if (versionRun < 0) {
            std::fprintf(stderr, "%s --version failed\n", argv[1]);
            return 1;
        }
        if (round == 0)
            continue; // the first round fills the page cache
        inProcess.push_back(answered);
        version.push_back(versionRun);
    }
    printSummary("command line and display, no arguments", inProcess);
    printSummary("notatki --version, whole process", version);
    return 0;
}

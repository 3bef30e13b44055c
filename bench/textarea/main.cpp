// SPDX-License-Identifier: GPL-3.0-or-later
// The text area's goal table, one row per mode: notatki's window against the stock widget's
// floor (a bare window with a QPlainTextEdit doing the same work), each measurement in a fresh
// process, figures printed beside the goals. Processor times are the process's own
// (CLOCK_PROCESS_CPUTIME_ID), which other programs on the machine disturb far less than the wall
// clock; note the load average printed with them.
//
//   bench_textarea ROW [ROUNDS] [--no-floor]
//       rows: empty-lines-32 empty-lines-64 long-line-1m long-line-20m notes-10m paste-80m
//             everyday-keys-10m mixed-scripts-10m long-line-mixed-1m
//
// --no-floor leaves the stock widget out: on the rows of many lines it takes minutes and
// gigabytes (empty-lines-64 most of all), and a goal that is a share of the floor then shows as
// missed.
//
// paste-80m, mixed-scripts-10m and long-line-mixed-1m need X11: xclip offers the text afresh for
// each measurement (text Windows-1250 cannot hold comes in by a paste). The other rows run on
// any platform, offscreen too; bench/textarea/run-on-x11.sh runs the rows under Xvfb.

#include "bench/textarea/Conductor.h"
#include "bench/textarea/Measurements.h"
#include "bench/textarea/NotatkiWindow.h"
#include "bench/textarea/StockWindow.h"

#include <QApplication>

#include <memory>

namespace {

// A measuring process: bench_textarea --measure notatki|stock CASE KEYS
int measure(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QByteArray subject = argv[2];
    std::unique_ptr<EditorWindow> editor;
    if (subject == "notatki")
        editor = std::make_unique<NotatkiWindow>();
    else if (subject == "stock")
        editor = std::make_unique<StockWindow>();
    else
        return 2;
    return Measurements::measure(argv[3], *editor, QByteArray(argv[4]).toInt());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 5 && QByteArray(argv[1]) == "--measure")
        return measure(argc, argv);
    const QCoreApplication application(argc, argv);
    QByteArrayList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(argv[index]);
    Conductor::Options options;
    options.withFloor = arguments.removeAll("--no-floor") == 0;
    if (arguments.size() == 2)
        options.rounds = arguments.at(1).toInt();
    const int status = arguments.size() == 1 || arguments.size() == 2
                           ? Conductor::runRow(arguments.first(), options)
                           : 2;
    if (status == 2)
        Conductor::printUsage();
    return status;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Runs one row of the text area's goal table: every measurement in a fresh process of this
// program, notatki's window and the stock widget's floor taking turns, then prints the figures
// (medians over the rounds) side by side with the goal, and the machine's load before and after.
namespace Conductor {

// How a row is run.
struct Options
{
    // 0: the row's own count.
    int rounds = 0;
    // Without the stock widget's floor, which takes minutes and gigabytes on the largest rows.
    bool withFloor = true;
};

// Returns the exit status: 2 for an unknown row.
int runRow(const QByteArray &rowName, const Options &options);

void printUsage();

} // namespace Conductor

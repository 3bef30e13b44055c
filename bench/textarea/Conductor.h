// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Runs one row of the text area's goal table: every measurement in a fresh process of this
// program, notatki's window and the stock widget's floor taking turns, then prints the figures
// (medians over the rounds) side by side with the goal, and the machine's load before and after.
namespace Conductor {

// Returns the exit status: 2 for an unknown row.
int runRow(const QByteArray &rowName, int rounds);

void printUsage();

} // namespace Conductor

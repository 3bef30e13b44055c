// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// SIGTERM, SIGINT and SIGHUP end the program at once, as their default does, except while a file
// is being written: then they wait until the writing has finished or been rolled back, so that
// no half-written file and no temporary file is left behind, and end the program right after.
//
// Blocking the signals in the thread that writes would not do: a signal sent to the process goes
// to any of its threads that does not block it, and the toolkit runs threads of its own. So the
// handler decides, in whichever thread it runs, from one atomic state shared with the writer.
namespace TerminationSignals {

// Installs the handlers; from then on the program ends at once on these signals only between
// writings.
void install();

// While one lives, the signals wait; when it goes, a signal that came meanwhile ends the program.
// One at a time: a file is written by the one thread that handles clicks.
class Deferral
{
    Q_DISABLE_COPY_MOVE(Deferral)

public:
    Deferral();
    ~Deferral();
};

} // namespace TerminationSignals

#pragma once

#include <optional>

class QCoreApplication;

namespace Startup {

// Answers what the command line asks before any window exists: help, the version, a refusal,
// or that there is no display to show the window on. Returns the exit code when the program
// must end there, nothing when the window may open. Needs no display.
std::optional<int> answerCommandLine(int &argc, char **argv);

// Polish throughout: Qt's own buttons and dialogs read "Anuluj" and so on, and numbers are
// written the Polish way, whatever the system's locale.
void speakPolish(QCoreApplication &application);

} // namespace Startup

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>

#include <optional>

class CommandLine;

// What happens before the window opens.
class Startup
{
    Q_DECLARE_TR_FUNCTIONS(Startup)

public:
    // Answers what the command line asks before any window exists: help, the version, a
    // refusal, or that there is no display to show the window on. Returns the exit code when the
    // program must end there, nothing when the window may open. Needs no display.
    static std::optional<int> answerCommandLine(int &argc, char **argv);

    // Polish throughout: Qt's own buttons and dialogs read "Anuluj" and so on, and numbers are
    // written the Polish way, whatever the system's locale.
    static void speakPolish(QCoreApplication &application);

private:
    static std::optional<int> answerDisplay(const CommandLine &commandLine);
};

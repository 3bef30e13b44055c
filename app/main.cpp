// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"
#include "files/TerminationSignals.h"
#include "startup/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const std::optional<int> exitCode = Startup::answerCommandLine(argc, argv))
        return *exitCode;

    TerminationSignals::install();
    QApplication application(argc, argv);
    // Lets the desktop match the window to its menu entry and icon; the caption stays as designed.
    QGuiApplication::setDesktopFileName(QStringLiteral("notatki"));
    Startup::speakPolish(application);

    Form1 form;
    form.show();
    return application.exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/Startup.h"

#include "startup/CommandLine.h"
#include "startup/GraphicalDisplay.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QTranslator>

#include <cstdio>

namespace {

enum ExitCode { Success = 0, NoDisplay = 1, BadCommandLine = 2 };

void print(std::FILE *stream, const QString &text)
{
    std::fputs(qPrintable(text), stream);
}

} // namespace

std::optional<int> Startup::answerDisplay(const CommandLine &commandLine)
{
    const DisplaySearch search = GraphicalDisplay::find(
        DisplayRequest::from(QProcessEnvironment::systemEnvironment(), commandLine.platformName(),
                             commandLine.displayName()));
    if (search.found)
        return std::nullopt;
    print(stderr, tr("notatki: nie znaleziono ekranu graficznego: %1.\n"
                     "Uruchom program w sesji graficznej albo wskaż mu ekran, "
                     "na przykład: DISPLAY=:0 notatki\n")
                      .arg(search.misses.join(QStringLiteral("; "))));
    return NoDisplay;
}

std::optional<int> Startup::answerCommandLine(int &argc, char **argv)
{
    // The window's QApplication needs a display, so the command line is read with a core
    // application of its own, which also brings Qt's Polish texts for the help.
    QCoreApplication application(argc, argv);
    speakPolish(application);

    const CommandLine commandLine(QCoreApplication::arguments());
    switch (commandLine.request()) {
    case CommandLine::Request::ShowHelp:
        print(stdout, commandLine.helpText());
        return Success;
    case CommandLine::Request::ShowVersion:
        print(stdout, CommandLine::versionText() + u'\n');
        return Success;
    case CommandLine::Request::Refuse:
        print(stderr, tr("notatki: %1 Pomoc: notatki --help\n").arg(commandLine.refusal()));
        return BadCommandLine;
    case CommandLine::Request::OpenWindow:
        break;
    }
    return answerDisplay(commandLine);
}

void Startup::speakPolish(QCoreApplication &application)
{
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    QLocale::setDefault(polish);

    auto *translator = new QTranslator(&application);
    if (translator->load(polish, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/CommandLine.h"

#include "startup/ProgramVersion.h"
#include "startup/ToolkitOptions.h"

namespace {

QCommandLineOption helpOption()
{
    // The names and text of QCommandLineParser::addHelpOption(), whose translation comes with Qt.
    // That one also adds --help-all, which lists the toolkit's options only once a window system
    // is running, and help is given without one.
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                              QCommandLineParser::tr("Displays help on commandline options."));
}

} // namespace

CommandLine::CommandLine(const QStringList &arguments)
{
    // Qt's own options are written with one dash (-platform, -style); so are these.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Wrapped by hand: the parser prints the description as it is given.
    m_parser.setApplicationDescription(
        tr("Mały edytor notatek z polskim interfejsem. Przycisk \"Czytaj\" wczytuje plik\n"
           "notes.txt, a \"Zapisz\" zapisuje tekst do pliku notes3.txt; oba pliki leżą\n"
           "w bieżącym katalogu i są w kodowaniu Windows-1250."));
    const QCommandLineOption help = helpOption();
    m_parser.addOption(help);
    const QCommandLineOption version = m_parser.addVersionOption();
    m_parser.addOptions(ToolkitOptions::all());

    if (!m_parser.parse(arguments)) {
        m_request = Request::Refuse;
        m_refusal = m_parser.errorText();
    } else if (!m_parser.positionalArguments().isEmpty()) {
        m_request = Request::Refuse;
        m_refusal
            = tr("Nieoczekiwany argument \"%1\".").arg(m_parser.positionalArguments().first());
    } else if (m_parser.isSet(version)) {
        m_request = Request::ShowVersion;
    } else if (m_parser.isSet(help)) {
        m_request = Request::ShowHelp;
    }
}

QString CommandLine::helpText() const
{
    return m_parser.helpText();
}

QString CommandLine::versionText()
{
    return QStringLiteral("notatki ") + QLatin1String(ProgramVersion::number);
}

QString CommandLine::platformName() const
{
    return m_parser.value(ToolkitOptions::platform);
}

QString CommandLine::displayName() const
{
    return m_parser.value(ToolkitOptions::display);
}

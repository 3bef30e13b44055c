// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/CommandLine.h"
#include "startup/Startup.h"
#include "startup/ToolkitOptions.h"

#include <QCoreApplication>
#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Request)

// The command line: help and version, a one-line refusal of anything else of the program's own,
// and the toolkit's options let through.
class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void answers_data();
    void answers();
    void toolkitChoices_data();
    void toolkitChoices();
    void helpIsAboutTheProgramOnly();
};

namespace {

CommandLine parse(const QStringList &arguments)
{
    return CommandLine(QStringList{QStringLiteral("notatki")} + arguments);
}

} // namespace

void CommandLineTest::initTestCase()
{
    Startup::speakPolish(*QCoreApplication::instance());
}

void CommandLineTest::answers_data()
{
    using Request = CommandLine::Request;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Request>("request");
    QTest::addColumn<QString>("quoted"); // what the refusal must name

    QTest::newRow("no arguments open the window") << QStringList() << Request::OpenWindow << "";
    QTest::newRow("--help") << QStringList{"--help"} << Request::ShowHelp << "";
    QTest::newRow("-h") << QStringList{"-h"} << Request::ShowHelp << "";
    QTest::newRow("-?") << QStringList{"-?"} << Request::ShowHelp << "";
    QTest::newRow("--version") << QStringList{"--version"} << Request::ShowVersion << "";
    QTest::newRow("-v") << QStringList{"-v"} << Request::ShowVersion << "";
    QTest::newRow("version and help: the version")
        << QStringList{"--help", "--version"} << Request::ShowVersion << "";

    QTest::newRow("unknown long option") << QStringList{"--bogus"} << Request::Refuse << "bogus";
    QTest::newRow("unknown one-dash word") << QStringList{"-bogus"} << Request::Refuse << "bogus";
    QTest::newRow("short options are not bundled") << QStringList{"-hv"} << Request::Refuse << "hv";
    QTest::newRow("a file name") << QStringList{"notes.txt"} << Request::Refuse << "notes.txt";
    QTest::newRow("a Polish file name")
        << QStringList{"zażółć gęślą.txt"} << Request::Refuse << "zażółć gęślą.txt";
    QTest::newRow("after --, even --help is a file name")
        << QStringList{"--", "--help"} << Request::Refuse << "--help";
    QTest::newRow("help with a value") << QStringList{"--help=all"} << Request::Refuse << "--help";
    QTest::newRow("toolkit option without its value")
        << QStringList{"-platform"} << Request::Refuse << "-platform";
    QTest::newRow("unknown option beside --version")
        << QStringList{"--version", "--bogus"} << Request::Refuse << "bogus";
    QTest::newRow("unknown option beside --help")
        << QStringList{"--bogus", "--help"} << Request::Refuse << "bogus";

    QTest::newRow("toolkit platform")
        << QStringList{"-platform", "offscreen"} << Request::OpenWindow << "";
    QTest::newRow("toolkit style written with =")
        << QStringList{"-style=fusion"} << Request::OpenWindow << "";
    QTest::newRow("toolkit flag") << QStringList{"-reverse"} << Request::OpenWindow << "";
    QTest::newRow("toolkit option with two dashes")
        << QStringList{"--qwindowtitle", "Notatki"} << Request::OpenWindow << "";
    QTest::newRow("X11 options") << QStringList{"-display", ":0",    "-geometry",
                                                "500x500",  "-name", "notatki"}
                                 << Request::OpenWindow << "";
}

void CommandLineTest::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Request, request);
    QFETCH(QString, quoted);

    const CommandLine commandLine = parse(arguments);
    QCOMPARE(commandLine.request(), request);
    if (request == CommandLine::Request::Refuse) {
        QVERIFY2(commandLine.refusal().contains(u'"' + quoted + u'"'),
                 qPrintable(commandLine.refusal()));
        QVERIFY2(!commandLine.refusal().contains(u'\n'), "the refusal is one line");
    } else {
        QVERIFY(commandLine.refusal().isEmpty());
    }
}

void CommandLineTest::toolkitChoices_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");

    QTest::newRow("none") << QStringList() << ""
                          << "";
    QTest::newRow("platform with its options")
        << QStringList{"-platform", "xcb:nomitshm"} << "xcb:nomitshm"
        << "";
    QTest::newRow("platform written with =") << QStringList{"--platform=offscreen"} << "offscreen"
                                             << "";
    QTest::newRow("display") << QStringList{"-display", ":3"} << ""
                             << ":3";
    QTest::newRow("both, display first")
        << QStringList{"-display=:3", "-platform", "wayland"} << "wayland"
        << ":3";
}

void CommandLineTest::toolkitChoices()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, platform);
    QFETCH(QString, display);

    const CommandLine commandLine = parse(arguments);
    QCOMPARE(commandLine.request(), CommandLine::Request::OpenWindow);
    QCOMPARE(commandLine.platformName(), platform);
    QCOMPARE(commandLine.displayName(), display);
}

void CommandLineTest::helpIsAboutTheProgramOnly()
{
    const QString help = parse({QStringLiteral("--help")}).helpText();

    QVERIFY2(help.contains(u"Sposób użycia"), qPrintable(help));
    for (const char *expected : {"--help", "--version", "notes.txt", "notes3.txt"})
        QVERIFY2(help.contains(QLatin1String(expected)), expected);
    for (const QCommandLineOption &option : ToolkitOptions::all()) {
        const QString name = option.names().constFirst();
        QVERIFY2(!help.contains(u'-' + name + u' ') && !help.contains(u'-' + name + u'\n'),
                 qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the command line asks of the program. The editor itself takes no arguments: it answers
// --help and --version as every command does, refuses anything else of its own, and lets the
// toolkit's options through to the toolkit.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum class Request { OpenWindow, ShowHelp, ShowVersion, Refuse };

    // The arguments as the program was started with them, its own path first.
    explicit CommandLine(const QStringList &arguments);

    Request request() const { return m_request; }
    QString helpText() const;
    static QString versionText();
    // One line saying what was wrong, when the request is Refuse.
    QString refusal() const { return m_refusal; }

    // The platform and display asked for with -platform and -display, empty when not given.
    QString platformName() const;
    QString displayName() const;

private:
    QCommandLineParser m_parser;
    Request m_request = Request::OpenWindow;
    QString m_refusal;
};

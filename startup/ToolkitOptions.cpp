// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/ToolkitOptions.h"

#include <QStringList>

namespace ToolkitOptions {

namespace {

QCommandLineOption hidden(const QString &name, const QString &valueName = {})
{
    QCommandLineOption option(name, QString(), valueName);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

} // namespace

QList<QCommandLineOption> all()
{
    // As QGuiApplication, QApplication and the X11 platform plugin read them.
    const QStringList withValue = {platform,
                                   QStringLiteral("platformpluginpath"),
                                   QStringLiteral("platformtheme"),
                                   QStringLiteral("plugin"),
                                   QStringLiteral("qmljsdebugger"),
                                   QStringLiteral("qwindowgeometry"),
                                   QStringLiteral("qwindowicon"),
                                   QStringLiteral("qwindowtitle"),
                                   QStringLiteral("session"),
                                   QStringLiteral("style"),
                                   QStringLiteral("stylesheet"),
                                   display,
                                   QStringLiteral("geometry"),
                                   QStringLiteral("title"),
                                   QStringLiteral("icon"),
                                   QStringLiteral("name"),
                                   QStringLiteral("visual")};
    const QStringList flags
        = {QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("testability")};

    QList<QCommandLineOption> options;
    for (const QString &name : withValue)
        options.append(hidden(name, QStringLiteral("value")));
    for (const QString &name : flags)
        options.append(hidden(name));
    return options;
}

} // namespace ToolkitOptions

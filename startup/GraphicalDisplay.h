// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Where the toolkit would show the window: the platforms it may use, in order, and the displays
// named for them.
struct DisplayRequest
{
    QStringList platforms; // as -platform or QT_QPA_PLATFORM name them; none: X11 or Wayland
    QString x11Display;    // -display or DISPLAY
    QString waylandDisplay;
    QString runtimeFolder; // where a Wayland display named without a path lives

    static DisplayRequest from(const QProcessEnvironment &environment,
                               const QString &platformOption, const QString &displayOption);
};

struct DisplaySearch
{
    bool found = false;
    QStringList misses; // why each display tried cannot be reached, in Polish
};

// Looks for the display before the toolkit does: the toolkit does not report a display it cannot
// reach, it aborts the whole process with advice to reinstall. A platform that needs no display
// server (offscreen, VNC, a framebuffer) is left to the toolkit.
class GraphicalDisplay
{
    Q_DECLARE_TR_FUNCTIONS(GraphicalDisplay)

public:
    static DisplaySearch find(const DisplayRequest &request);
};

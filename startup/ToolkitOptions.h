// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

// The options Qt reads from the command line itself: the window system, the display, the style,
// the first window's geometry and title. The program takes them beside its own so that they go
// on working; they stay out of its help, which is about the program.
namespace ToolkitOptions {

inline const QString platform = QStringLiteral("platform");
inline const QString display = QStringLiteral("display");

QList<QCommandLineOption> all();

} // namespace ToolkitOptions

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

// What a measuring process tells the process that started it, one line each on standard output:
//   figure NAME VALUE
//   note TEXT
// Each line is flushed at once, so that what was measured survives a process stopped for taking
// too long.
inline void printFigure(const QByteArray &name, double value)
{
    std::printf("figure %s %.3f\n", name.constData(), value);
    std::fflush(stdout);
}

inline void printNote(const QString &text)
{
    std::printf("note %s\n", text.toUtf8().constData());
    std::fflush(stdout);
}
